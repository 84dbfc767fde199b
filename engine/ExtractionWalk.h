#pragma once
// ExtractionWalk: the "Extract" step for each message of one walk over many messages,
// shared by the command line and the message windows. It chooses the folder of each
// message below the output folder, calls Saveattachments with the mode the user asked
// for and writes the unsent copy when asked.
//
// Within one walk every message gets a folder of its own: the first message with a
// given name uses it (also when an earlier run left it there), a later message whose
// name this walk already used gets a number after it ("Hi", "Hi1", "Hi2"). The walk
// order decides the numbers, so running the same walk again writes the same layout.

#include <filesystem>
#include <string>
#include <unordered_set>

#include "engine/SrParser.h"

namespace mailvane {

// Which of the window's extraction commands a walk performs.
enum class ExtractCommand {
  All,         // a folder per message with parts, HTML and (optionally) text
  HtmlOnly,    // every message's HTML side by side in <out>/Html
  TextOnly,    // every message's text in <out>/Text
  SoundsOnly,  // every message's sound parts in <out>/Sounds
};

enum class UnsentCopy { None, Eml, Nws };

struct ExtractionChoice {
  ExtractCommand command = ExtractCommand::All;
  bool saveText = true;                  // All: mode 5 with the text file, 6 without
  UnsentCopy unsent = UnsentCopy::None;  // All: also write name.eml or name.nws
};

struct ExtractionResult {
  bool ok = false;
  std::filesystem::path folder;  // where the message was written
  std::string error;             // why not, when !ok (UTF-8, for people)
};

class ExtractionWalk {
 public:
  ExtractionWalk(std::filesystem::path outputFolder, ExtractionChoice choice);

  // Writes one message whose parser already holds Source and has run
  // identify_mailheader and Getall on it.
  ExtractionResult extract(SrParser& pars);

  // Leaves the parser as the windows' calling order for one message does (Source,
  // identify_mailheader, Getall).
  static void parse(SrParser& pars, SharedText text);

  // Parses text with pars and extracts it.
  ExtractionResult parseAndExtract(SrParser& pars, SharedText text);

  // The message name as it goes to disk (UTF-8): the subject without any ".", through
  // Fixfilename, reduced to what one folder name can hold.
  static std::string messageName(const SrParser& pars);

  const std::filesystem::path& outputFolder() const { return outputFolder_; }

  // The folder name a message called `name` gets in this walk: the name itself the first
  // time, then with the first number not yet used ("Hi", "Hi1"), case folded.
  std::string claimFolderName(const std::string& name);
  // A UTF-8 name cut to kMaxNameBytes without splitting a character.
  static std::string fitName(std::string name);

  // Longest message name kept, in bytes: room is left for a walk number and ".eml"
  // within the usual 255-byte limit of a file name.
  static constexpr size_t kMaxNameBytes = 240;

 private:
  ExtractionResult extractAll(SrParser& pars);
  ExtractionResult extractShared(SrParser& pars, const char* subfolder, int16_t mode);
  static bool ensureFolder(const std::filesystem::path& folder, std::string& error);

  std::filesystem::path outputFolder_;
  ExtractionChoice choice_;
  std::unordered_set<std::string> usedNames_;  // folded, so "Hi" and "hi" never share
};

}  // namespace mailvane
