#include "store/MaildirWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "store/ContentKey.h"
#include "system/FileUtil.h"

namespace mailvane::store {

namespace {

namespace fs = std::filesystem;

constexpr const char* kSubfolders[] = {"cur", "new", "tmp"};

std::string systemError(const std::string& path, int error) {
  return path + ": " + std::strerror(error);
}

bool makeFolder(const fs::path& path, std::string& error) {
  if (::mkdir(path.c_str(), 0700) == 0) return true;
  struct stat st;
  if (errno == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  error = "cannot make " + systemError(path.string(), errno == EEXIST ? ENOTDIR : errno);
  return false;
}

// Written in tmp/, given the file's time, then moved into cur/ under a name that must be
// free: a name taken already stays as it is.
AddOutcome deliver(const std::string& folder, const std::string& name,
                   const ExportedMessage& message, std::string& error) {
  // Plain strings: path objects cost several allocations each, per message.
  const std::string temporary = folder + "tmp/" + name;
  const std::string final = folder + "cur/" + name;
  const int fd =
      ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    error = "cannot write " + systemError(temporary, errno);
    return AddOutcome::Failed;
  }
  bool ok = system::writeAll(fd, message.bytes);
  int failure = errno;
  if (ok && message.time) {
    const struct timespec times[2] = {{static_cast<time_t>(*message.time), 0},
                                      {static_cast<time_t>(*message.time), 0}};
    ::futimens(fd, times);
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    failure = errno;
  }
  AddOutcome outcome = AddOutcome::Failed;
  if (!ok) {
    error = "cannot write " + systemError(temporary, failure ? failure : EIO);
  } else if (system::renameNoReplace(temporary.c_str(), final.c_str()) == 0) {
    return AddOutcome::Written;
  } else if (errno == EEXIST) {
    outcome = AddOutcome::AlreadyThere;
  } else {
    error = "cannot write " + systemError(final, errno);
  }
  ::unlink(temporary.c_str());
  return outcome;
}

}  // namespace

std::string MaildirWriter::keyOfName(std::string_view fileName) {
  const size_t first = fileName.find('.');
  if (first == std::string_view::npos) return {};
  const size_t second = fileName.find('.', first + 1);
  if (second == std::string_view::npos) return {};
  return std::string(fileName.substr(first + 1, second - first - 1));
}

bool MaildirWriter::makeMaildir(const fs::path& folder, std::string& error) {
  if (!makeFolder(folder, error)) return false;
  for (const char* sub : kSubfolders) {
    if (!makeFolder(folder / sub, error)) return false;
  }
  return true;
}

bool MaildirWriter::begin(std::string& error) {
  std::error_code ec;
  fs::create_directories(root_, ec);
  return makeMaildir(root_, error);
}

void MaildirWriter::readPresentKeys() {
  present_.clear();
  for (const char* sub : {"cur", "new"}) {
    std::error_code ec;
    for (fs::directory_iterator it(current_ + sub, ec), end; !ec && it != end; it.increment(ec)) {
      std::string key = keyOfName(it->path().filename().native());
      if (!key.empty()) present_.insert(std::move(key));
    }
  }
}

bool MaildirWriter::folder(const std::string& relative, bool intoExisting,
                           const std::function<void()>& messages, std::string& error) {
  const fs::path folder = root_ / relative;
  current_ = folder.string() + "/";
  seen_.clear();
  present_.clear();
  if (!makeMaildir(folder, error)) return false;
  // Marks a Maildir++ folder for the servers that deliver into it.
  const std::string mark = current_ + "maildirfolder";
  const int fd = ::open(mark.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    error = "cannot write " + systemError(mark, errno);
    return false;
  }
  ::close(fd);
  if (intoExisting) readPresentKeys();
  messages();
  return true;
}

AddOutcome MaildirWriter::add(const ExportedMessage& message, std::string& error) {
  std::string key = contentKey(message.bytes);
  const unsigned repeat = ++seen_[key];
  if (repeat > 1) key += "_" + std::to_string(repeat);
  if (present_.count(key)) return AddOutcome::AlreadyThere;
  const int64_t time = message.time.value_or(0);
  const std::string name =
      std::to_string(time) + "." + key + ".mailvane:2," + (message.seen.value_or(false) ? "S" : "");
  return deliver(current_, name, message, error);
}

}  // namespace mailvane::store
