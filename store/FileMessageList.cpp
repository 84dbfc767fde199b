#include "store/FileMessageList.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "store/HeaderScan.h"
#include "system/CodePage.h"

namespace mailvane::store {

namespace fs = std::filesystem;

bool FileMessageList::isMessageFile(const fs::path& name) {
  const std::string extension = system::toLowerCp(name.extension().string());
  return extension == ".eml" || extension == ".nws";
}

const std::vector<std::string>& FileMessageList::names() {
  if (listed_) return names_;
  listed_ = true;
  std::error_code ec;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    const fs::path& path = it->path();
    if (isMessageFile(path.filename()) && it->is_regular_file(typeError)) {
      names_.push_back(path.filename().native());
    }
  }
  std::sort(names_.begin(), names_.end());
  return names_;
}

uint32_t FileMessageList::count() { return static_cast<uint32_t>(names().size()); }

std::string FileMessageList::subject(uint32_t index) {
  if (index >= names().size()) return {};
  const auto block = readHeaderBlock(file(index));
  return block ? subjectOf(*block) : std::string();
}

std::optional<std::string> FileMessageList::source(uint32_t index) {
  if (index >= names().size()) return std::nullopt;
  const fs::path path = file(index);
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  std::ifstream in(path, std::ios::binary);
  if (ec || !in) return std::nullopt;
  std::string text(size, '\0');
  in.read(text.data(), static_cast<std::streamsize>(size));
  if (static_cast<uintmax_t>(in.gcount()) != size) return std::nullopt;
  return text;
}

}  // namespace mailvane::store
