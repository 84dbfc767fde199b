#pragma once
// File and text helpers that every message window offers publicly. They do not yield;
// the window's own OpenFile yields before it reads.

#include <QVariant>

#include <filesystem>
#include <string>
#include <string_view>

namespace mailvane {

class FamilyHelpers {
 public:
  // The whole file as bytes of the code page, line ends kept; "" when it cannot be read.
  static std::string readWhole(const std::filesystem::path& path);
  // The text and a CR LF, replacing the file; failures are ignored.
  static void save(const std::filesystem::path& path, std::string_view text);
  // The text between two markers, by the same rule as the parser's header fields.
  static std::string getit(std::string_view start, std::string_view end, std::string_view text);
  // The one tagged value (a 16-bit type tag, then its data) stored at the start of a file
  // by a binary write; an invalid QVariant when the file is missing, short or of an
  // unknown type.
  static QVariant loadBag(const std::filesystem::path& path);
};

}  // namespace mailvane
