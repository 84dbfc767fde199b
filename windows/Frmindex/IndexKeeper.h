#pragma once
// Keeps the index current while the search window is open: a scan of the index folders
// runs on a thread of its own, and the window hears, on its own thread, how far it got
// and when it ended. The thread never touches a widget.

#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "index/BackgroundIndexer.h"

namespace mailvane {

class IndexKeeper : public QObject {
  Q_OBJECT

 public:
  IndexKeeper(std::filesystem::path indexFile, QObject* parent);
  // Stops a running scan (after its current file) and waits for its thread.
  ~IndexKeeper() override;

  // Starts a scan of the roots unless one is running; false when one is, or when there
  // is no index file to write.
  bool start(const std::vector<std::filesystem::path>& roots);
  // Stops a running scan, after its current file, and waits until it has.
  void stop();
  // A scan runs, or has ended and finished() is still to come: the window's view of it.
  bool running() const { return poll_.isActive(); }
  // Message files looked at so far by the running scan.
  size_t seen() const { return seen_.load(); }
  // Why the last scan could not write the index; empty when it could.
  std::string lastError() const;

 signals:
  void progressed();
  void finished();

 private:
  bool scanning() const;
  void poll();

  std::filesystem::path file_;
  std::atomic<size_t> seen_{0};
  QTimer poll_;
  // Last, so its thread has ended before the members it reports to go.
  std::unique_ptr<index::BackgroundIndexer> indexer_;
};

}  // namespace mailvane
