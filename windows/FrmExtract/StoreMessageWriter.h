#pragma once
// Writes one store message into a folder of its own: the message copy (name.eml or
// name.nws, rewritten as unsent), its HTML body with the pictures pointing at the saved
// parts (name.html), its parts and its plain text (name.txt).
//
// Part names come from the message and are not trusted: every part is saved under the
// engine's cleaned name, unique within the message, so no name reaches outside the
// folder or overwrites another part, and the HTML refers to the same names. Every file
// is written whole or not at all, never through a link already in the folder.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ExtractionWalk.h"
#include "windows/FrmExtract/ExtractedMessage.h"

namespace mailvane {

class StoreMessageWriter {
 public:
  struct Options {
    UnsentCopy copy = UnsentCopy::Eml;  // None: "Save as sent", no copy
    bool html = true;
    bool files = true;
  };
  // Told after each step: where the step meter stands, and its end.
  using Progress = std::function<void(int value, int max)>;

  StoreMessageWriter(Options options, Progress progress);
  ~StoreMessageWriter();

  // Takes the message's source apart into the window's data: R1, Text1 and List3, the
  // parts named beside the files write() makes for the message called name.
  void load(std::string source, const std::string& name, ExtractedMessage& into);
  // Writes the loaded message into folder (which must exist), its files named after
  // name. What could not be written, one reason each; empty when all was written.
  std::vector<std::string> write(const ExtractedMessage& message,
                                 const std::filesystem::path& folder, const std::string& name);

  // The folder name of a listed subject: the subject without the characters "*", ".",
  // "(", ":", "!", ";", "\", "/", "?" and U+00A8 (and NUL, which no name can hold), cut to
  // what a file name can hold; a subject that leaves nothing gets the engine's name for
  // a nameless message.
  static std::string folderName(std::string_view subject);

 private:
  void step(int value);
  void writeText(const std::filesystem::path& path, std::string_view text,
                 std::vector<std::string>& failures, std::string_view prefix = {});

  Options options_;
  Progress progress_;
  std::unique_ptr<store::MimeMessage> mime_;
  int steps_ = 0;
};

}  // namespace mailvane
