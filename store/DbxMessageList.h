#pragma once
// The messages of one .dbx message folder, in the order of its index.

#include <filesystem>

#include "plugins/toolbench/DbxReader.h"
#include "store/MessageList.h"

namespace mailvane::store {

class DbxMessageList : public MessageList {
 public:
  explicit DbxMessageList(std::filesystem::path file) : file_(std::move(file)) {}

  uint32_t count() override;
  std::string subject(uint32_t index) override;
  std::optional<std::string> source(uint32_t index) override;
  MessageFacts facts(uint32_t index) override;
  // Why the file cannot be read, or the damage of its index.
  std::vector<std::string> damage() override;

 private:
  // Opens the file on first use; false when it is not a readable message folder.
  bool ready();

  std::filesystem::path file_;
  dbx::DbxReader reader_;
  bool tried_ = false;
  bool open_ = false;
};

}  // namespace mailvane::store
