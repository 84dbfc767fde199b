#pragma once
// Writes an export as mbox files (mboxrd): one file per store folder, its children in a
// folder of the same name with ".sbd" added. A new file is written under a hidden name
// and takes its own only when the whole folder is in it. Into an existing file, only the
// messages it does not hold yet are appended; a failure cuts it back to what it held.

#include <unordered_map>

#include "store/ExportWriter.h"

namespace mailvane::store {

class MboxWriter : public ExportWriter {
 public:
  using ExportWriter::ExportWriter;

  bool begin(std::string& error) override;
  bool folder(const std::string& relative, bool intoExisting, const std::function<void()>& messages,
              std::string& error) override;
  AddOutcome add(const ExportedMessage& message, std::string& error) override;

 private:
  bool readPresentKeys(const std::filesystem::path& file, std::string& error);
  bool appendTo(const std::filesystem::path& file, const std::function<void()>& messages,
                std::string& error);
  bool flush();

  int fd_ = -1;
  bool failed_ = false;  // a write of this folder failed; the rest of it is not tried
  int failure_ = 0;
  std::string buffer_;
  std::string separator_;  // goes before the first message added to an existing file
  std::unordered_map<std::string, unsigned> present_;  // keys in the file before, with counts
};

}  // namespace mailvane::store
