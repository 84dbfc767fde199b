#include "system/WholeFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "system/FileUtil.h"

namespace mailvane::system {
namespace {

std::string failure(const std::filesystem::path& path, int error) {
  return "cannot write " + path.filename().string() + ": " + std::strerror(error);
}

bool standsAt(const std::filesystem::path& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// A new hidden file beside the final one; its name says what it was for, should a
// killed process leave it behind.
int createTemporary(const std::filesystem::path& path, std::filesystem::path& temporary) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = path.parent_path() /
                (".mailvane-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".part");
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

WriteOutcome writeWholeFile(const std::filesystem::path& path, ExistingFile existing,
                            const std::function<bool(int fd)>& fill) {
  WriteOutcome outcome;
  if (path.empty() || !path.has_filename()) {
    outcome.error = "cannot write a file without a name";
    return outcome;
  }
  if (existing == ExistingFile::Keep && standsAt(path)) {
    outcome.ok = outcome.kept = true;
    return outcome;
  }
  std::filesystem::path temporary;
  const int fd = createTemporary(path, temporary);
  if (fd < 0) {
    outcome.error = failure(path, errno);
    return outcome;
  }
  errno = 0;
  bool written = fill(fd);
  int error = errno;
  if (::close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written) {
    const int renamed = existing == ExistingFile::Replace
                            ? ::rename(temporary.c_str(), path.c_str())
                            : renameNoReplace(temporary.c_str(), path.c_str());
    if (renamed == 0) {
      outcome.ok = true;
      return outcome;
    }
    error = errno;
    if (existing == ExistingFile::Keep && error == EEXIST) {
      // Made by someone else meanwhile: it stays, as any existing file would.
      ::unlink(temporary.c_str());
      outcome.ok = outcome.kept = true;
      return outcome;
    }
  }
  ::unlink(temporary.c_str());
  outcome.error = failure(path, error ? error : EIO);
  return outcome;
}

WriteOutcome writeWholeFile(const std::filesystem::path& path, ExistingFile existing,
                            std::span<const std::string_view> pieces) {
  return writeWholeFile(path, existing, [pieces](int fd) { return writeAll(fd, pieces); });
}

}  // namespace mailvane::system
