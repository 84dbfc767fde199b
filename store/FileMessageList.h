#pragma once
// The ".eml" and ".nws" files of one folder, one message each, sorted by file name.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "store/MessageList.h"

namespace mailvane::store {

class FileMessageList : public MessageList {
 public:
  explicit FileMessageList(std::filesystem::path folder) : folder_(std::move(folder)) {}

  uint32_t count() override;
  std::string subject(uint32_t index) override;
  std::optional<std::string> source(uint32_t index) override;
  // The file's modification time; no read flag (those live in the client's database).
  MessageFacts facts(uint32_t index) override;

  // True for a name ending in ".eml" or ".nws", in any letter case.
  static bool isMessageFile(const std::filesystem::path& name);

 private:
  // The sorted file names, listed on first use. Names rather than paths: a path object
  // costs several allocations, and a folder may hold 100,000s of messages.
  const std::vector<std::string>& names();
  std::filesystem::path file(uint32_t index) const { return folder_ / names_[index]; }

  std::filesystem::path folder_;
  std::vector<std::string> names_;
  bool listed_ = false;
  struct Read {
    uint32_t index;
    int64_t modified;
  };
  std::optional<Read> lastRead_;  // the file source() read last, with its time
};

}  // namespace mailvane::store
