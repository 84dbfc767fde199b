#include "system/FileUtil.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace mailvane::system {

int renameNoReplace(const char* from, const char* to) {
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
#endif
  // File systems without that flag: a hard link fails the same way when the name is taken.
  if (::link(from, to) != 0) return -1;
  ::unlink(from);
  return 0;
}

bool FileExists(const std::filesystem::path& path) {
  if (path.empty()) return false;
  std::error_code ec;
  // A dangling link still occupies the name, so it counts as taken.
  return std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found &&
         !ec;
}

std::filesystem::path FreeFileName(const std::filesystem::path& path) {
  if (!FileExists(path)) return path;
  // The number goes into the file name, before its first ".", never into a folder name:
  // a numbered folder would not exist and the file would be lost.
  const std::string name = path.filename().string();
  const size_t dot = name.find('.');
  const std::string stem = name.substr(0, dot);
  const std::string rest = dot == std::string::npos ? std::string() : name.substr(dot);
  for (int i = 1; i <= 32767; ++i) {
    auto candidate = path.parent_path() / (stem + std::to_string(i) + rest);
    if (!FileExists(candidate)) return candidate;
  }
  return {};
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool writeAll(int fd, std::span<const std::string_view> pieces) {
  constexpr size_t kMostAtOnce = 64;  // far below any system's IOV_MAX
  while (!pieces.empty()) {
    iovec vectors[kMostAtOnce];
    size_t count = 0;
    size_t total = 0;
    for (; count < pieces.size() && count < kMostAtOnce; ++count) {
      vectors[count] = {const_cast<char*>(pieces[count].data()), pieces[count].size()};
      total += pieces[count].size();
    }
    const ssize_t n = ::writev(fd, vectors, static_cast<int>(count));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || (n == 0 && total > 0)) return false;
    // Skip what went out; a piece written in part is finished on its own.
    auto done = static_cast<size_t>(n);
    while (!pieces.empty() && done >= pieces.front().size()) {
      done -= pieces.front().size();
      pieces = pieces.subspan(1);
    }
    if (done > 0) {
      if (!writeAll(fd, pieces.front().substr(done))) return false;
      pieces = pieces.subspan(1);
    }
  }
  return true;
}

}  // namespace mailvane::system
