#include "plugins/newswatch/TreeWatcher.h"

#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <tuple>
#include <utility>

namespace fs = std::filesystem;

namespace mailvane::newswatch {

namespace {

constexpr std::uint32_t kWatchMask = IN_CREATE | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO |
                                     IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR |
                                     IN_DONT_FOLLOW | IN_EXCL_UNLINK;

// A rename queues its two halves one after the other, but a read may fall between them.
constexpr int kRenamePartnerWaitMs = 50;

std::string joinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + '/' + name;
}

bool isUnder(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         path[folder.size()] == '/';
}

const std::string& keyOf(const std::string& key) { return key; }
const std::string& keyOf(const std::pair<const std::string, int>& entry) { return entry.first; }

// Keys of an ordered container that are the folder itself or lie below it. Every name
// that starts with the folder's name is in one key range, but not all of them lie below it
// ("a b" sorts between "a" and "a/b"), so the range is walked and filtered.
template <typename Ordered>
std::vector<std::string> keysAtOrUnder(const Ordered& items, const std::string& folder) {
  std::vector<std::string> keys;
  for (auto it = items.lower_bound(folder); it != items.end(); ++it) {
    const std::string& key = keyOf(*it);
    if (key.compare(0, folder.size(), folder) != 0) break;
    if (key == folder || isUnder(key, folder)) keys.push_back(key);
  }
  return keys;
}

std::string normalisedRoot(const std::string& root) {
  std::error_code ec;
  std::string path = fs::absolute(fs::path(root), ec).lexically_normal().string();
  if (ec) path = root;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

struct FoundFile {
  timespec modified;
  std::string path;
  std::string name;
};

// Files found by a scan have lost their event order; their modification times (then
// their names) are the best stand-in for the order in which they were created.
void sortByAge(std::vector<FoundFile>& files) {
  std::sort(files.begin(), files.end(), [](const FoundFile& a, const FoundFile& b) {
    return std::tie(a.modified.tv_sec, a.modified.tv_nsec, a.path) <
           std::tie(b.modified.tv_sec, b.modified.tv_nsec, b.path);
  });
}

}  // namespace

TreeWatcher::TreeWatcher(AddWatch addWatch) : addWatch_(std::move(addWatch)) {
  if (!addWatch_) addWatch_ = [](int fd, const char* path, std::uint32_t mask) {
    return ::inotify_add_watch(fd, path, mask);
  };
}

TreeWatcher::~TreeWatcher() { stop(); }

bool TreeWatcher::start(const std::string& root, bool includeSubdirs) {
  stop();
  error_.clear();
  if (root.empty()) {
    error_ = "No folder to watch was given";
    return false;
  }
  root_ = normalisedRoot(root);
  std::error_code ec;
  if (!fs::is_directory(root_, ec)) {
    error_ = (fs::exists(root_, ec) ? "Not a folder: " : "The folder does not exist: ") + root_;
    return false;
  }
  fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) {
    error_ = errno == EMFILE ? std::string("The system's limit of inotify instances "
                                           "(fs.inotify.max_user_instances) is reached")
                             : std::string("Cannot start watching: ") + std::strerror(errno);
    return false;
  }
  includeSubdirs_ = includeSubdirs;
  LimitCount limit;
  if (!watchFolder(root_, limit)) {
    const int cause = errno;
    error_ = limit.folders ? "The system's limit of folder watches (fs.inotify.max_user_watches)"
                             " is reached; cannot watch " + root_
                           : "Cannot watch " + root_ + ": " + std::strerror(cause);
    notices_.clear();
    stop();
    return false;
  }
  rootWatch_ = watchOfFolder_.at(root_);
  scanTree(root_, Scan::Baseline);
  return true;
}

void TreeWatcher::stop() {
  if (fd_ >= 0) ::close(fd_);  // closing releases every watch of the descriptor at once
  fd_ = -1;
  rootWatch_ = -1;
  rootLost_ = false;
  folderOfWatch_.clear();
  watchOfFolder_.clear();
  known_.clear();
  pendingMove_.reset();
  created_.clear();
}

std::vector<std::string> TreeWatcher::takeNotices() { return std::exchange(notices_, {}); }

std::vector<CreatedFile> TreeWatcher::readEvents() {
  if (fd_ < 0) return {};
  alignas(inotify_event) char buffer[64 * 1024];
  bool waitedForPartner = false;
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n > 0) {
      processEvents(buffer, static_cast<std::size_t>(n));
      if (!pendingMove_) break;  // return what we have; a busy tree must not starve callers
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (pendingMove_ && !waitedForPartner) {
      pollfd waitFor{fd_, POLLIN, 0};
      ::poll(&waitFor, 1, kRenamePartnerWaitMs);
      waitedForPartner = true;
      continue;
    }
    break;
  }
  settlePendingMove();
  return std::exchange(created_, {});
}

void TreeWatcher::processEvents(const char* data, std::size_t size) {
  std::size_t offset = 0;
  while (size - offset >= sizeof(inotify_event)) {
    inotify_event event;
    std::memcpy(&event, data + offset, sizeof event);
    const std::size_t record = sizeof(inotify_event) + event.len;
    if (record > size - offset) break;
    const char* name = data + offset + sizeof(inotify_event);
    handleEvent(event, std::string(name, ::strnlen(name, event.len)));
    offset += record;
  }
}

void TreeWatcher::handleEvent(const inotify_event& event, const std::string& name) {
  if (event.mask & IN_Q_OVERFLOW) {
    settlePendingMove();
    rescan();
    return;
  }
  if (pendingMove_ && !((event.mask & IN_MOVED_TO) && event.cookie == pendingMove_->cookie)) {
    settlePendingMove();
  }
  if (event.mask & IN_IGNORED) {
    forgetWatch(event.wd);
    return;
  }
  const auto folder = folderOfWatch_.find(event.wd);
  if (folder == folderOfWatch_.end()) return;
  if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
    if (event.wd == rootWatch_) rootLost_ = true;
    return;
  }
  // The kernel names one entry of the folder; anything else must not lead the scans out.
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) return;
  const std::string path = joinPath(folder->second, name);
  if (event.mask & IN_ISDIR) {
    handleFolderEvent(event.mask, event.cookie, path);
  } else {
    handleFileEvent(event.mask, path, name);
  }
}

void TreeWatcher::handleFileEvent(std::uint32_t mask, const std::string& path,
                                  const std::string& name) {
  if (mask & (IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE)) {
    report(path, name);
  } else if (mask & (IN_DELETE | IN_MOVED_FROM)) {
    known_.erase(path);  // a file of that name made later is a new file
  }
}

void TreeWatcher::handleFolderEvent(std::uint32_t mask, std::uint32_t cookie,
                                    const std::string& path) {
  if (!includeSubdirs_) return;
  if (mask & IN_CREATE) {
    // Files may be written into the new folder before its watch exists: scan it.
    scanTree(path, Scan::ReportNew);
  } else if (mask & IN_MOVED_TO) {
    if (pendingMove_ && pendingMove_->cookie == cookie) {
      const std::string from = std::move(pendingMove_->path);
      pendingMove_.reset();
      renameTree(from, path);  // a folder renamed inside the tree holds no new files
    } else {
      scanTree(path, Scan::ReportNew);  // moved in from outside: all its files are new here
    }
  } else if (mask & IN_MOVED_FROM) {
    // Moved away or renamed inside the tree: only the next event tells which.
    pendingMove_ = PendingFolderMove{cookie, path};
  } else if (mask & IN_DELETE) {
    forgetTree(path);
  }
}

void TreeWatcher::settlePendingMove() {
  if (!pendingMove_) return;
  const std::string gone = std::move(pendingMove_->path);
  pendingMove_.reset();
  forgetTree(gone);
}

void TreeWatcher::report(const std::string& path, const std::string& name) {
  if (known_.insert(path).second) created_.push_back(CreatedFile{path, name});
}

bool TreeWatcher::watchFolder(const std::string& folder, LimitCount& limit) {
  // The watched folder itself may be a link (Wine's drive letters are); links below it are
  // not followed, so a link back up the tree cannot make the walk endless.
  const std::uint32_t mask = folder == root_ ? kWatchMask & ~IN_DONT_FOLLOW : kWatchMask;
  const int wd = addWatch_(fd_, folder.c_str(), mask);
  if (wd < 0) {
    const int cause = errno;
    if (cause == ENOSPC) {
      if (limit.folders++ == 0) limit.first = folder;
    } else if (cause != ENOENT && cause != ENOTDIR) {  // those folders are simply gone
      addNotice("Cannot watch " + folder + ": " + std::strerror(cause));
    }
    errno = cause;
    return false;
  }
  const auto previous = folderOfWatch_.find(wd);
  if (previous != folderOfWatch_.end() && previous->second != folder) {
    watchOfFolder_.erase(previous->second);
  }
  folderOfWatch_[wd] = folder;
  watchOfFolder_[folder] = wd;
  return true;
}

void TreeWatcher::noticeLimit(const LimitCount& limit) {
  if (limit.folders == 0) return;
  addNotice("The system's limit of folder watches (fs.inotify.max_user_watches) is reached: " +
            std::to_string(limit.folders) + " folder(s) are not watched, the first being " +
            limit.first + ". Files created there are not reported; the other folders are "
                          "still watched.");
}

// Watches top and, with sub-folders, every folder below it (iteratively: a deep tree must
// not exhaust the stack). In ReportNew mode every file not known yet is reported.
void TreeWatcher::scanTree(const std::string& top, Scan mode, std::set<std::string>* present) {
  std::vector<std::string> folders{top};
  std::vector<FoundFile> found;
  LimitCount limit;
  while (!folders.empty()) {
    const std::string folder = std::move(folders.back());
    folders.pop_back();
    if (!watchFolder(folder, limit) && errno != ENOSPC) continue;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      const fs::file_type type = it->symlink_status(ec).type();
      if (ec) break;
      const std::string path = it->path().string();
      if (type == fs::file_type::directory) {
        if (includeSubdirs_) folders.push_back(path);
        continue;
      }
      if (present) present->insert(path);
      if (!known_.insert(path).second || mode == Scan::Baseline) continue;
      struct stat info {};
      ::lstat(path.c_str(), &info);
      found.push_back(FoundFile{info.st_mtim, path, it->path().filename().string()});
    }
  }
  noticeLimit(limit);
  sortByAge(found);
  for (FoundFile& file : found) {
    created_.push_back(CreatedFile{std::move(file.path), std::move(file.name)});
  }
}

// After the kernel dropped events nothing is certain: walk the whole tree, watch what
// is not watched, report what is not known, and forget what is gone.
void TreeWatcher::rescan() {
  ++rescans_;
  std::set<std::string> present;
  scanTree(root_, Scan::ReportNew, &present);
  for (auto it = known_.begin(); it != known_.end();) {
    it = present.count(*it) ? std::next(it) : known_.erase(it);
  }
}

void TreeWatcher::forgetTree(const std::string& folder) {
  for (const std::string& sub : keysAtOrUnder(watchOfFolder_, folder)) {
    const int wd = watchOfFolder_[sub];
    // A folder moved out of the tree is still watched by the kernel: release its watch.
    ::inotify_rm_watch(fd_, wd);
    folderOfWatch_.erase(wd);
    watchOfFolder_.erase(sub);
  }
  for (const std::string& file : keysAtOrUnder(known_, folder)) known_.erase(file);
}

void TreeWatcher::renameTree(const std::string& from, const std::string& to) {
  const auto rebase = [&](const std::string& path) { return to + path.substr(from.size()); };
  for (const std::string& sub : keysAtOrUnder(watchOfFolder_, from)) {
    const int wd = watchOfFolder_[sub];
    watchOfFolder_.erase(sub);
    watchOfFolder_[rebase(sub)] = wd;
    folderOfWatch_[wd] = rebase(sub);
  }
  for (const std::string& file : keysAtOrUnder(known_, from)) {
    known_.erase(file);
    known_.insert(rebase(file));
  }
}

void TreeWatcher::forgetWatch(int wd) {
  if (wd == rootWatch_) rootLost_ = true;
  const auto folder = folderOfWatch_.find(wd);
  if (folder == folderOfWatch_.end()) return;
  const auto back = watchOfFolder_.find(folder->second);
  if (back != watchOfFolder_.end() && back->second == wd) watchOfFolder_.erase(back);
  folderOfWatch_.erase(folder);
}

}  // namespace mailvane::newswatch
