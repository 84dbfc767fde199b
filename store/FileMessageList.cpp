#include "store/FileMessageList.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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
  const int fd = ::open(file(index).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st;
  std::optional<std::string> text;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    // The time comes with the read, so asking for the facts next costs nothing more.
    lastRead_ = {index, st.st_mtime};
    text.emplace(size_t(st.st_size), '\0');
    size_t done = 0;
    while (done < text->size()) {
      const ssize_t got = ::read(fd, text->data() + done, text->size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += size_t(got);
    }
    // A file cut short while it was read is not the message whole.
    if (done != text->size()) text.reset();
  }
  ::close(fd);
  return text;
}

MessageFacts FileMessageList::facts(uint32_t index) {
  MessageFacts facts;
  struct stat st;
  if (lastRead_ && lastRead_->index == index) {
    facts.storedTime = lastRead_->modified;
  } else if (index < names().size() && ::stat(file(index).c_str(), &st) == 0) {
    facts.storedTime = st.st_mtime;
  }
  return facts;
}

}  // namespace mailvane::store
