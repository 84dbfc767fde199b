#pragma once
// One scan of the index roots: new and changed message files are read (their header
// only) and written, unchanged ones are skipped by size and modification time, and rows
// of files that are gone are removed.

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "index/IndexDatabase.h"

namespace mailvane::index {

struct ScanCounts {
  size_t seen = 0;       // message files found under the roots
  size_t indexed = 0;    // read and written (new or changed)
  size_t unchanged = 0;  // skipped: same size and time as indexed
  size_t failed = 0;     // could not be read, or a folder could not be walked
  size_t removed = 0;    // rows of files that are gone
  bool stopped = false;  // the scan was asked to stop before it was done
  bool databaseFailed = false;  // a write to the index failed
};

class Indexer {
 public:
  // Writes are committed together in batches of this many rows.
  static constexpr size_t kBatchSize = 2000;

  explicit Indexer(IndexDatabase& database) : database_(database) {}

  // Called now and then during a scan, and once at its end, with the file last handled.
  void setProgress(std::function<void(const ScanCounts&, const std::string& file)> progress) {
    progress_ = std::move(progress);
  }
  // Called once per file or folder that could not be read.
  void setErrorHandler(std::function<void(const std::string& message)> onError) {
    onError_ = std::move(onError);
  }

  // Scans the roots (see normaliseRoots). When stop becomes true the scan ends after the
  // current file, keeping what it has written and removing nothing.
  ScanCounts scan(const std::vector<std::filesystem::path>& roots,
                  const std::atomic<bool>* stop = nullptr);

  // Whether a file name is a message file the index takes: ".nws" or ".eml" in any case.
  static bool isMessageFile(const std::filesystem::path& file);

 private:
  struct Walk;
  bool walkRoot(const std::filesystem::path& root, Walk& walk);
  void visitFile(const std::filesystem::path& file, Walk& walk);
  void removeUnseen(Walk& walk);
  bool batchDone(Walk& walk);
  void report(const std::string& message, Walk& walk);

  IndexDatabase& database_;
  std::function<void(const ScanCounts&, const std::string&)> progress_;
  std::function<void(const std::string&)> onError_;
};

}  // namespace mailvane::index
