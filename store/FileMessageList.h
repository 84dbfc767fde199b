#pragma once
// The ".eml" and ".nws" files of one folder, one message each, sorted by file name.

#include <filesystem>
#include <vector>

#include "store/MessageList.h"

namespace mailvane::store {

class FileMessageList : public MessageList {
 public:
  explicit FileMessageList(std::filesystem::path folder) : folder_(std::move(folder)) {}

  uint32_t count() override;
  std::string subject(uint32_t index) override;
  std::optional<std::string> source(uint32_t index) override;

  // True for a name ending in ".eml" or ".nws", in any letter case.
  static bool isMessageFile(const std::filesystem::path& name);

 private:
  const std::vector<std::filesystem::path>& files();

  std::filesystem::path folder_;
  std::vector<std::filesystem::path> files_;
  bool listed_ = false;
};

}  // namespace mailvane::store
