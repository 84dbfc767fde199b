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

const std::vector<fs::path>& FileMessageList::files() {
  if (listed_) return files_;
  listed_ = true;
  std::error_code ec;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (isMessageFile(it->path().filename()) && it->is_regular_file(typeError)) {
      files_.push_back(it->path());
    }
  }
  std::sort(files_.begin(), files_.end(),
            [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
  return files_;
}

uint32_t FileMessageList::count() { return static_cast<uint32_t>(files().size()); }

std::string FileMessageList::subject(uint32_t index) {
  if (index >= files().size()) return {};
  const auto block = readHeaderBlock(files_[index]);
  return block ? subjectOf(*block) : std::string();
}

std::optional<std::string> FileMessageList::source(uint32_t index) {
  if (index >= files().size()) return std::nullopt;
  std::error_code ec;
  const auto size = fs::file_size(files_[index], ec);
  std::ifstream in(files_[index], std::ios::binary);
  if (ec || !in) return std::nullopt;
  std::string text(size, '\0');
  in.read(text.data(), static_cast<std::streamsize>(size));
  if (static_cast<uintmax_t>(in.gcount()) != size) return std::nullopt;
  return text;
}

}  // namespace mailvane::store
