#pragma once
// Writes an export as a Maildir: the output folder is the Maildir itself (cur, new, tmp)
// and each store folder a Maildir++ folder in it (".Inbox.Hytta 2008", with its own cur,
// new, tmp and the "maildirfolder" mark). Each message goes into cur/ byte for byte under
// "TIME.KEY.mailvane:2,FLAGS": TIME its date (also set as the file's time, so clients
// sort by it), KEY its content key with "_2", "_3" for repeats of the same bytes in one
// folder, FLAGS "S" when the store says it was read. It is written in tmp/ and moved
// into cur/, so a reader never sees half a message and nothing is ever replaced.

#include <unordered_map>
#include <unordered_set>

#include "store/ExportWriter.h"

namespace mailvane::store {

class MaildirWriter : public ExportWriter {
 public:
  using ExportWriter::ExportWriter;

  bool begin(std::string& error) override;
  bool folder(const std::string& relative, bool intoExisting, const std::function<void()>& messages,
              std::string& error) override;
  AddOutcome add(const ExportedMessage& message, std::string& error) override;

  // The KEY part of a file name of this layout ("" when it has none).
  static std::string keyOfName(std::string_view fileName);

 private:
  bool makeMaildir(const std::filesystem::path& folder, std::string& error);
  void readPresentKeys();

  std::string current_;                             // the folder, ending in "/"
  std::unordered_set<std::string> present_;         // keys in the folder before this export
  std::unordered_map<std::string, unsigned> seen_;  // keys of this export, with counts
};

}  // namespace mailvane::store
