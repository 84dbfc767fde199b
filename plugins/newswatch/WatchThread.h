#pragma once
// Reads a started TreeWatcher's events on a thread of its own, so the kernel's queue is
// drained at once however busy the window thread is, and hands each batch to a sink (on
// that thread: the sink must pass the batch on to where it is used).

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>
#include <functional>

#include "plugins/newswatch/TreeWatcher.h"

namespace mailvane::newswatch {

struct WatchBatch {
  std::vector<CreatedFile> files;
  std::vector<std::string> notices;
  bool rootLost = false;  // the watched folder is gone; the thread has ended
};

class WatchThread {
 public:
  using Sink = std::function<void(WatchBatch)>;

  WatchThread(std::unique_ptr<TreeWatcher> watcher, Sink sink);
  // Stops reading and joins: once it returns the sink is never called again.
  ~WatchThread();
  WatchThread(const WatchThread&) = delete;
  WatchThread& operator=(const WatchThread&) = delete;

 private:
  void loop();
  bool readOnce();

  std::unique_ptr<TreeWatcher> watcher_;
  Sink sink_;
  int wakeFd_ = -1;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace mailvane::newswatch
