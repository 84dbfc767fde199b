#pragma once
// Writes a message's parts, text and HTML into one folder. Every file lands directly in
// that folder, whatever the message's names hold: names are made safe and short enough
// first, and existing links in the folder are never followed when a part is replaced.
// Every file is written whole or not at all (system/WholeFile.h): a write that fails
// leaves no cut-off file behind and says why.

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

#include "engine/Records.h"
#include "system/WholeFile.h"

namespace mailvane::engine {

class AttachmentWriter {
 public:
  explicit AttachmentWriter(std::filesystem::path folder) : folder_(std::move(folder)) {}

  // The text followed by CR LF, bytes as they are; the file is created or replaced. A
  // link at the path is followed to its target only when followLinks is set.
  static system::WriteOutcome writeText(const std::filesystem::path& path, std::string_view text,
                                        bool followLinks = true);
  // The same for text held in pieces, written one after the other.
  static system::WriteOutcome writeText(const std::filesystem::path& path,
                                        std::initializer_list<std::string_view> pieces,
                                        bool followLinks = true);
  // Writes the bytes exactly, creating or replacing the file (never through a link).
  static system::WriteOutcome writeBytes(const std::filesystem::path& path, std::string_view bytes);
  // Writes the bytes into a file of that name unless one is there already.
  static system::WriteOutcome writeNewFile(const std::filesystem::path& path,
                                           std::string_view bytes);

  // Where a file of this (code-page) name goes: the folder joined with the safe UTF-8 name.
  std::filesystem::path pathFor(std::string_view name) const;

  // Decodes and writes one part; numbered picks a free numbered name instead of the
  // part's own when that is taken.
  system::WriteOutcome writePart(const nlMail& part, bool numbered) const;
  // Writes text under the cleaned base name plus extension, numbered when taken.
  system::WriteOutcome writeNamed(std::string_view baseName, std::string_view extension,
                                  std::string_view text) const;

 private:
  std::filesystem::path folder_;
};

}  // namespace mailvane::engine
