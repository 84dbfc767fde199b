#include "index/Indexer.h"

#include <sys/stat.h>

#include <chrono>
#include <system_error>
#include <unordered_map>

#include "index/EncodedWords.h"
#include "index/IndexLocations.h"
#include "index/MessageHeader.h"
#include "system/CodePage.h"

namespace mailvane::index {

namespace fs = std::filesystem;

namespace {

// Progress is reported every this many files: often enough for a progress line, rarely
// enough to cost nothing.
constexpr size_t kProgressEvery = 500;

bool isInsideAny(const std::string& path, const std::vector<std::string>& roots) {
  for (const std::string& root : roots) {
    if (root == "/" || (path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
                        path[root.size()] == '/'))
      return true;
  }
  return false;
}

bool exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

struct Indexer::Walk {
  std::unordered_map<std::string, FileStamp> known;  // rows not seen yet in this scan
  std::vector<std::string> completeRoots;  // roots walked to the end
  const std::atomic<bool>* stop = nullptr;
  ScanCounts counts;
  size_t pendingWrites = 0;
  std::string lastFile;

  bool stopRequested() const { return stop && stop->load(std::memory_order_relaxed); }
};

bool Indexer::isMessageFile(const fs::path& file) {
  const std::string extension = system::toLowerCp(file.extension().string());
  return extension == ".nws" || extension == ".eml";
}

ScanCounts Indexer::scan(const std::vector<fs::path>& roots, const std::atomic<bool>* stop) {
  Walk walk;
  walk.stop = stop;
  // When the rows cannot be read (or the file was damaged and started again), every file
  // is simply read as new.
  walk.known = database_.stamps();
  if (!database_.isOpen()) {
    walk.counts.databaseFailed = true;
    report(database_.error(), walk);
    return walk.counts;
  }
  if (!database_.begin()) {
    walk.counts.databaseFailed = true;
    report(database_.error(), walk);
    return walk.counts;
  }
  for (const fs::path& root : normaliseRoots(roots)) {
    if (walk.stopRequested()) break;
    if (walkRoot(root, walk)) walk.completeRoots.push_back(root.string());
  }
  walk.counts.stopped = walk.stopRequested();
  if (!walk.counts.stopped) removeUnseen(walk);
  // Files that could not be read do not count against it: the scan went everywhere.
  if (!walk.counts.stopped && !walk.counts.databaseFailed) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    if (!database_.setLastUpdate(std::chrono::duration_cast<std::chrono::seconds>(now).count())) {
      walk.counts.databaseFailed = true;
      report(database_.error(), walk);
    }
  }
  if (!database_.commit()) walk.counts.databaseFailed = true;
  if (progress_) progress_(walk.counts, walk.lastFile);
  return walk.counts;
}

bool Indexer::walkRoot(const fs::path& root, Walk& walk) {
  std::error_code ec;
  fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
  if (ec) {
    report(root.string() + ": " + ec.message(), walk);
    return false;
  }
  for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (ec) {
      report(root.string() + ": " + ec.message(), walk);
      return false;
    }
    if (walk.stopRequested()) return false;
    const fs::directory_entry& entry = *it;
    if (!isMessageFile(entry.path()) || !entry.is_regular_file(ec)) continue;
    visitFile(entry.path(), walk);
    if (walk.counts.databaseFailed) return false;
  }
  return !ec;
}

void Indexer::visitFile(const fs::path& file, Walk& walk) {
  const std::string path = file.string();
  walk.lastFile = path;
  ++walk.counts.seen;
  if (progress_ && walk.counts.seen % kProgressEvery == 0) progress_(walk.counts, path);
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return;  // gone since the folder was listed
  const FileStamp stamp{static_cast<int64_t>(info.st_size),
                        static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
                            info.st_mtim.tv_nsec};
  const auto known = walk.known.find(path);
  const bool hadRow = known != walk.known.end();
  if (hadRow) {
    const bool same = known->second == stamp;
    walk.known.erase(known);
    if (same) {
      ++walk.counts.unchanged;
      return;
    }
  }
  const std::optional<std::string> header = readHeaderBlock(file);
  if (!header) {
    // An unreadable file is left out; a row it had before goes, as its text is unknown.
    report(path + ": cannot read", walk);
    if (hadRow && database_.remove(path)) batchDone(walk);
    return;
  }
  const IndexedFile row{path, file.extension().string(),
                        decodeEncodedWords(headerField(*header, "Subject")), stamp};
  if (!database_.put(row)) {
    walk.counts.databaseFailed = true;
    report(database_.error(), walk);
    return;
  }
  ++walk.counts.indexed;
  batchDone(walk);
}

bool Indexer::batchDone(Walk& walk) {
  if (++walk.pendingWrites < kBatchSize) return true;
  walk.pendingWrites = 0;
  if (database_.commit() && database_.begin()) return true;
  walk.counts.databaseFailed = true;
  report(database_.error(), walk);
  return false;
}

void Indexer::removeUnseen(Walk& walk) {
  for (const auto& [path, stamp] : walk.known) {
    if (!isInsideAny(path, walk.completeRoots) && exists(path)) continue;
    if (!database_.remove(path)) {
      walk.counts.databaseFailed = true;
      report(database_.error(), walk);
      return;
    }
    ++walk.counts.removed;
    if (!batchDone(walk)) return;
  }
}

void Indexer::report(const std::string& message, Walk& walk) {
  ++walk.counts.failed;
  if (onError_) onError_(message);
}

}  // namespace mailvane::index
