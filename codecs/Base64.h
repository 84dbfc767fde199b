#pragma once
// Base64 (RFC 4648 alphabet) between bytes and text. Text and byte arrays are both
// std::string here: one char per byte of the code page.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace mailvane {

class Base64 {
 public:
  std::string Encode(std::string_view text) const;  // same as EncodeArr on the bytes
  std::string EncodeFromFile(const std::filesystem::path& file) const;  // "" on failure
  std::string EncodeArr(std::string_view bytes) const;  // 76-char lines with CR LF
  // nullopt when nothing is left to decode after CR LF pairs and "=" are removed.
  std::optional<std::string> Decode(std::string_view text) const;
  std::optional<std::string> DecodeArr(std::string_view text) const;
  // Writes the decoded bytes to a new file. Never replaces an existing file; returns
  // whether the file was written completely.
  bool DecodeToFile(std::string_view text, const std::filesystem::path& file) const;
  // Writes the decoded bytes to an open file (nothing when nothing is left to decode);
  // false only when a write fails.
  bool DecodeToDescriptor(std::string_view text, int fd) const;
};

}  // namespace mailvane
