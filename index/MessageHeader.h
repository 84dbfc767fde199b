#pragma once
// The header block of a message file, read without reading the whole file: stored news
// folders hold messages of many megabytes, and the index needs only the subject.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace mailvane::index {

// Never more than this many bytes are read from one file.
inline constexpr size_t kMaxHeaderBytes = 64 * 1024;

// The bytes up to the first blank line (or up to maxBytes, or the end of the file);
// nullopt when the file cannot be opened or read.
std::optional<std::string> readHeaderBlock(const std::filesystem::path& file,
                                           size_t maxBytes = kMaxHeaderBytes);

// The raw value of the first header field called name (compared without regard to
// case), with folded continuation lines joined and surrounding whitespace trimmed;
// empty when the field is missing.
std::string headerField(std::string_view block, std::string_view name);

}  // namespace mailvane::index
