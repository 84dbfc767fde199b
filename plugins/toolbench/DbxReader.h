#pragma once
// Reads the messages of a .dbx message folder. open() checks the file kind and the index
// tree once; after that any message can be fetched, in any order, as often as wanted,
// at a cost proportional to that message.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "plugins/toolbench/DbxHeader.h"
#include "plugins/toolbench/DbxRecord.h"
#include "plugins/toolbench/DbxSource.h"
#include "plugins/toolbench/DbxTree.h"

namespace mailvane::dbx {

struct DbxMessage {
  std::string text;     // the raw message (.eml bytes); only what could be read when incomplete
  uint64_t length = 0;  // bytes of text found
  bool complete = false;
  std::string error;  // why the message is missing or incomplete
};

class DbxReader {
 public:
  // False (with error()) when the file cannot be read or is not a message folder. A
  // damaged index still opens: the messages that can be reached are counted and the
  // damage is listed in problems().
  bool open(const std::filesystem::path& path);
  bool open(std::unique_ptr<DbxSource> source);
  void close();

  uint32_t count() const { return tree_.size(); }
  const std::string& error() const { return error_; }
  const std::vector<std::string>& problems() const { return problems_; }

  // Message `index` (0-based, index order). Incomplete or missing text is flagged, never
  // passed off as a whole message.
  DbxMessage message(uint32_t index);
  // Like message(), but only measures the text (reads block headers, not the text).
  DbxMessage measure(uint32_t index);
  // The stored subject, 8-bit as the writing machine's code page had it; empty when unknown.
  std::string subject(uint32_t index);
  // The stored flag bits (bit 0x80: read); nothing when the record keeps none.
  std::optional<uint32_t> flags(uint32_t index);

 private:
  DbxMessage read(uint32_t index, bool withText);
  std::optional<uint32_t> recordAt(uint32_t index, std::string& error);
  std::optional<DbxRecord> record(uint32_t index);

  std::unique_ptr<DbxSource> source_;
  DbxTree tree_;
  std::string error_;
  std::vector<std::string> problems_;
};

}  // namespace mailvane::dbx
