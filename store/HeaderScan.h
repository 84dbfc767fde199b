#pragma once
// The subject of a message found by reading only its header block, so a folder of many
// large messages lists quickly.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace mailvane::store {

// No more than this is read from a message file to find its subject.
inline constexpr size_t kMaxHeaderScan = 64 * 1024;

// The header block at the start of a message: up to and including the line end before the
// first empty line, whatever the line ends; all of it when there is no empty line.
std::string_view headerBlockOf(std::string_view message);

// The header block of the file (as headerBlockOf, from at most kMaxHeaderScan bytes);
// nullopt when the file cannot be read.
std::optional<std::string> readHeaderBlock(const std::filesystem::path& file);

// The raw value of the first field of that name (given lower-case, without the colon) of a
// header block, continuation lines joined by one blank, blanks trimmed; empty when absent.
std::string fieldOf(std::string_view headerBlock, std::string_view lowerName);

// The decoded (UTF-8) value of the first "Subject:" field of a header block, continuation
// lines joined; empty when there is none.
std::string subjectOf(std::string_view headerBlock);

}  // namespace mailvane::store
