#include "index/BackgroundIndexer.h"

namespace mailvane::index {

BackgroundIndexer::BackgroundIndexer(std::filesystem::path databaseFile,
                                     std::vector<std::filesystem::path> roots)
    : databaseFile_(std::move(databaseFile)), roots_(std::move(roots)) {}

BackgroundIndexer::~BackgroundIndexer() { stop(); }

bool BackgroundIndexer::start() {
  if (running_.exchange(true)) return false;
  if (thread_.joinable()) thread_.join();  // the previous scan has ended; reap its thread
  stop_ = false;
  thread_ = std::thread([this] { run(); });
  return true;
}

void BackgroundIndexer::stop() {
  stop_ = true;
  wait();
}

void BackgroundIndexer::wait() {
  if (thread_.joinable()) thread_.join();
}

ScanCounts BackgroundIndexer::lastCounts() const {
  std::lock_guard lock(mutex_);
  return counts_;
}

std::string BackgroundIndexer::lastError() const {
  std::lock_guard lock(mutex_);
  return error_;
}

void BackgroundIndexer::run() {
  IndexDatabase database;
  ScanCounts counts;
  std::string error;
  if (database.open(databaseFile_)) {
    Indexer indexer(database);
    indexer.setProgress(progress_);
    counts = indexer.scan(roots_, &stop_);
    if (counts.databaseFailed) error = database.error();
  } else {
    counts.databaseFailed = true;
    error = database.error();
  }
  {
    std::lock_guard lock(mutex_);
    counts_ = counts;
    error_ = error;
  }
  running_ = false;
}

}  // namespace mailvane::index
