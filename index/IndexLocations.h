#pragma once
// Where the index lives and which folders it covers.

#include <filesystem>
#include <string_view>
#include <vector>

#include "system/Settings.h"

namespace mailvane::index {

// Folders to index, separated by ";". Empty or missing: the default roots.
inline constexpr std::string_view kIndexRoots = "IndexRoots";

// $XDG_CACHE_HOME/mailvane/index.sqlite, or ~/.cache/mailvane/index.sqlite; empty when no
// cache folder can be found or made.
std::filesystem::path defaultIndexFile();

// The folders named in a setting text: split at ";", surrounding spaces trimmed, empty
// parts dropped.
std::vector<std::filesystem::path> parseIndexRoots(std::string_view setting);

// The documents folder and the message stores of the mail clients, those that exist.
std::vector<std::filesystem::path> defaultIndexRoots();

// The setting's folders, or the default roots when the setting names none.
std::vector<std::filesystem::path> indexRoots(const system::Settings& settings);

// Absolute, normalised folders without a trailing "/", without repeats and without
// folders that lie inside another of them (so that no file is visited twice).
std::vector<std::filesystem::path> normaliseRoots(const std::vector<std::filesystem::path>& roots);

}  // namespace mailvane::index
