#include "plugins/newswatch/WatchThread.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace mailvane::newswatch {

WatchThread::WatchThread(std::unique_ptr<TreeWatcher> watcher, Sink sink)
    : watcher_(std::move(watcher)), sink_(std::move(sink)) {
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  thread_ = std::thread([this] { loop(); });
}

WatchThread::~WatchThread() {
  stopping_ = true;
  if (wakeFd_ >= 0) {
    const std::uint64_t one = 1;
    while (::write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
  }
  thread_.join();
  if (wakeFd_ >= 0) ::close(wakeFd_);
  watcher_->stop();  // releases the inotify descriptor and all its watches
}

void WatchThread::loop() {
  // Without a wake-up descriptor the loop looks for the stop request twice a second.
  const int timeoutMs = wakeFd_ >= 0 ? -1 : 500;
  while (!stopping_) {
    pollfd fds[2] = {{watcher_->fd(), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    const int ready = ::poll(fds, wakeFd_ >= 0 ? 2 : 1, timeoutMs);
    if (ready < 0 && errno != EINTR) return;
    if (fds[1].revents & POLLIN) return;
    if (fds[0].revents & (POLLIN | POLLERR | POLLHUP)) {
      if (!readOnce()) return;
    }
  }
}

// False when the watch has ended.
bool WatchThread::readOnce() {
  WatchBatch batch;
  batch.files = watcher_->readEvents();
  batch.notices = watcher_->takeNotices();
  batch.rootLost = watcher_->rootLost();
  const bool goOn = !batch.rootLost;
  if (!batch.files.empty() || !batch.notices.empty() || batch.rootLost) sink_(std::move(batch));
  return goOn;
}

}  // namespace mailvane::newswatch
