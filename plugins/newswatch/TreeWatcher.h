#pragma once
// Finds the files that appear below a folder, built on inotify. Free of Qt so it can be
// tested alone. One thread at a time uses an object: the one that starts it, then the one
// that reads its events.
//
// When a file counts as created: when its name appears (IN_CREATE, or IN_MOVED_TO for a
// file moved in or renamed), not when its writer closes it. The listener windows poll a
// reported file until it has content, so the early report costs nothing and lets them show
// a message as soon as possible. IN_CLOSE_WRITE only catches a file whose appearance was
// missed. Every file name below the folder is remembered (also the ones there before the
// watch began), so a name is reported once until it is deleted or moved away.
//
// Order: the kernel queues the events of all watched folders in one queue, so files are
// reported in the order they appeared. The exception is a folder that appears while
// watching: files written into it before its own watch exists have no events; they are
// found by scanning the folder when its creation is read, and reported then, oldest first.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

struct inotify_event;

namespace mailvane::newswatch {

struct CreatedFile {
  std::string fullPath;
  std::string name;
  bool operator==(const CreatedFile&) const = default;
};

class TreeWatcher {
 public:
  // inotify_add_watch by default; tests pass a stand-in to reach the system's watch limit.
  using AddWatch = std::function<int(int fd, const char* path, std::uint32_t mask)>;

  explicit TreeWatcher(AddWatch addWatch = {});
  ~TreeWatcher();
  TreeWatcher(const TreeWatcher&) = delete;
  TreeWatcher& operator=(const TreeWatcher&) = delete;

  // Watches root (and every folder below it when includeSubdirs). The files already there
  // are not reported. False, with error() set, when root is not a folder or inotify fails.
  bool start(const std::string& root, bool includeSubdirs);
  void stop();
  bool active() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  const std::string& error() const { return error_; }
  const std::string& root() const { return root_; }

  // Reads every queued event without blocking; the files created since the last call, in
  // the order they were created.
  std::vector<CreatedFile> readEvents();
  // Handles raw inotify records as read from the descriptor (a buffer of whole records).
  void processEvents(const char* data, std::size_t size);
  // Problems met while watching that did not stop it (the watch limit), oldest first.
  std::vector<std::string> takeNotices();
  // True once the watched folder itself was removed or moved away: nothing more will come.
  bool rootLost() const { return rootLost_; }
  std::size_t watchedFolders() const { return folderOfWatch_.size(); }
  // How often lost events made it walk the whole tree again.
  std::size_t rescans() const { return rescans_; }

 private:
  enum class Scan { Baseline, ReportNew };
  struct PendingFolderMove {
    std::uint32_t cookie;
    std::string path;
  };

  void handleEvent(const inotify_event& event, const std::string& name);
  void handleFileEvent(std::uint32_t mask, const std::string& path, const std::string& name);
  void handleFolderEvent(std::uint32_t mask, std::uint32_t cookie, const std::string& path);
  void settlePendingMove();
  void scanTree(const std::string& top, Scan mode, std::set<std::string>* present = nullptr);
  struct LimitCount {
    std::size_t folders = 0;
    std::string first;
  };
  bool watchFolder(const std::string& folder, LimitCount& limit);
  void noticeLimit(const LimitCount& limit);
  void rescan();
  void forgetTree(const std::string& folder);
  void renameTree(const std::string& from, const std::string& to);
  void forgetWatch(int wd);
  void report(const std::string& path, const std::string& name);
  void addNotice(std::string text) { notices_.push_back(std::move(text)); }

  AddWatch addWatch_;
  int fd_ = -1;
  int rootWatch_ = -1;
  std::string root_;
  bool includeSubdirs_ = true;
  bool rootLost_ = false;
  std::size_t rescans_ = 0;
  std::string error_;
  std::unordered_map<int, std::string> folderOfWatch_;
  std::map<std::string, int> watchOfFolder_;  // ordered: a sub-tree is one key range
  std::set<std::string> known_;               // ordered for the same reason
  std::optional<PendingFolderMove> pendingMove_;
  std::vector<CreatedFile> created_;
  std::vector<std::string> notices_;
};

}  // namespace mailvane::newswatch
