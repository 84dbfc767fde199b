#pragma once
// The output folder used when the command line is given no -o: the same folder the
// desktop program's message windows write into, so both find each other's output.

#include <filesystem>
#include <optional>
#include <string>

namespace mailvane::cli {

// The folder, created when missing; nullopt with a reason when there is none.
std::optional<std::filesystem::path> defaultOutputFolder(std::string& error);

}  // namespace mailvane::cli
