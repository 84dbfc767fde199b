#include "store/MboxWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "store/ContentKey.h"
#include "store/Mboxrd.h"
#include "system/FileUtil.h"
#include "system/WholeFile.h"

namespace mailvane::store {

namespace {

namespace fs = std::filesystem;

// Messages are gathered and written in pieces of about this size.
constexpr size_t kFlushAt = size_t(1) << 20;
constexpr size_t kReadPiece = size_t(1) << 20;

std::string systemError(const fs::path& path, int error) {
  return path.string() + ": " + std::strerror(error);
}

// The last two bytes of a file (fewer when it is shorter).
std::string tailOf(int fd, off_t size) {
  char tail[2];
  const off_t from = size >= 2 ? size - 2 : 0;
  const ssize_t got = ::pread(fd, tail, size_t(size - from), from);
  return got > 0 ? std::string(tail, size_t(got)) : std::string();
}

}  // namespace

bool MboxWriter::begin(std::string& error) {
  std::error_code ec;
  fs::create_directories(root_, ec);
  if (!fs::is_directory(root_, ec)) {
    error = "cannot make " + root_.string();
    return false;
  }
  return true;
}

bool MboxWriter::flush() {
  if (!failed_ && !buffer_.empty() && !system::writeAll(fd_, buffer_)) {
    failed_ = true;
    failure_ = errno ? errno : EIO;
  }
  buffer_.clear();
  return !failed_;
}

bool MboxWriter::readPresentKeys(const fs::path& file, std::string& error) {
  present_.clear();
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot read " + systemError(file, errno);
    return false;
  }
  MboxSplitter splitter([this](std::string message) { ++present_[contentKey(message)]; });
  std::string piece(kReadPiece, '\0');
  ssize_t got = 0;
  while ((got = ::read(fd, piece.data(), piece.size())) > 0) {
    splitter.feed(std::string_view(piece.data(), size_t(got)));
  }
  const int failure = errno;
  ::close(fd);
  if (got < 0) {
    error = "cannot read " + systemError(file, failure);
    return false;
  }
  splitter.finish();
  return true;
}

bool MboxWriter::appendTo(const fs::path& file, const std::function<void()>& messages,
                          std::string& error) {
  if (!readPresentKeys(file, error)) return false;
  fd_ = ::open(file.c_str(), O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
  if (fd_ < 0) {
    error = "cannot write " + systemError(file, errno);
    return false;
  }
  struct stat st;
  const off_t before = ::fstat(fd_, &st) == 0 ? st.st_size : 0;
  // What is added must start after a blank line, however the file ends.
  const std::string tail = tailOf(fd_, before);
  if (before > 0 && !tail.ends_with('\n'))
    separator_ = "\n\n";
  else if (before > 0 && tail != "\n\n")
    separator_ = "\n";
  messages();
  flush();
  if (failed_ && ::ftruncate(fd_, before) != 0) failure_ = errno;
  ::close(fd_);
  fd_ = -1;
  if (failed_) error = "cannot write " + systemError(file, failure_);
  return !failed_;
}

bool MboxWriter::folder(const std::string& relative, bool intoExisting,
                        const std::function<void()>& messages, std::string& error) {
  const fs::path file = root_ / relative;
  failed_ = false;
  failure_ = 0;
  buffer_.clear();
  separator_.clear();
  present_.clear();
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  if (ec) {
    error = "cannot make " + systemError(file.parent_path(), ec.value());
    return false;
  }
  struct stat st;
  if (intoExisting && ::lstat(file.c_str(), &st) == 0) return appendTo(file, messages, error);
  const system::WriteOutcome outcome =
      system::writeWholeFile(file, system::ExistingFile::Keep, [&](int fd) {
        fd_ = fd;
        messages();
        const bool ok = flush();
        fd_ = -1;
        errno = failure_;
        return ok;
      });
  if (outcome.kept) {
    error = file.string() + " already exists";
    return false;
  }
  if (!outcome.ok) error = file.string() + ": " + outcome.error;
  return outcome.ok;
}

AddOutcome MboxWriter::add(const ExportedMessage& message, std::string& error) {
  if (failed_) {
    error = "not written after an earlier failure of the same file";
    return AddOutcome::Failed;
  }
  // The key of what a reader gets back, so that it matches the file's own messages.
  const std::string key = contentKey(message.bytes, message.bytes.ends_with('\n') ? "" : "\n");
  if (const auto it = present_.find(key); it != present_.end() && it->second > 0) {
    --it->second;
    return AddOutcome::AlreadyThere;
  }
  buffer_ += separator_;
  separator_.clear();
  buffer_ += mboxFromLine(message.sender, message.time.value_or(0));
  appendMboxrd(buffer_, message.bytes);
  if (buffer_.size() >= kFlushAt && !flush()) {
    error = "cannot write: " + std::string(std::strerror(failure_));
    return AddOutcome::Failed;
  }
  return AddOutcome::Written;
}

}  // namespace mailvane::store
