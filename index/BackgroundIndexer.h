#pragma once
// Keeps the index current on a thread of its own, so a window never waits for a scan.
// Plain std::thread: the index library does not depend on Qt.

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "index/Indexer.h"

namespace mailvane::index {

class BackgroundIndexer {
 public:
  BackgroundIndexer(std::filesystem::path databaseFile, std::vector<std::filesystem::path> roots);
  // Stops a running scan and waits for its thread.
  ~BackgroundIndexer();
  BackgroundIndexer(const BackgroundIndexer&) = delete;
  BackgroundIndexer& operator=(const BackgroundIndexer&) = delete;

  // Called on the scan's thread; set before start().
  void setProgress(std::function<void(const ScanCounts&, const std::string& file)> progress) {
    progress_ = std::move(progress);
  }

  // Starts a scan unless one is running; false when one is.
  bool start();
  // Asks the scan to end after its current file and waits until it has.
  void stop();
  // Waits until the scan ends by itself.
  void wait();
  bool running() const { return running_.load(); }
  // The counts of the last finished scan, and why it could not run when it could not.
  ScanCounts lastCounts() const;
  std::string lastError() const;

 private:
  void run();

  std::filesystem::path databaseFile_;
  std::vector<std::filesystem::path> roots_;
  std::function<void(const ScanCounts&, const std::string&)> progress_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> running_{false};
  mutable std::mutex mutex_;
  ScanCounts counts_;
  std::string error_;
};

}  // namespace mailvane::index
