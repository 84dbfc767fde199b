#include "plugins/fetchvane/DownloadQueue.h"

#include <algorithm>

namespace mailvane::fetchvane {

DownloadQueue::DownloadQueue(int maxParallel, QObject* parent)
    : QObject(parent), maxParallel_(std::max(1, maxParallel)) {
  speedTimer_.setInterval(500);
  connect(&speedTimer_, &QTimer::timeout, this, &DownloadQueue::refreshSpeeds);
}

DownloadQueue::~DownloadQueue() = default;

QString DownloadQueue::keyOf(const Download& download) {
  const QUrl url = download.url().adjusted(QUrl::RemoveFragment | QUrl::NormalizePathSegments);
  return url.toString(QUrl::FullyEncoded) + QLatin1Char('\n') + download.folder();
}

int DownloadQueue::rowOf(const Download* download) const {
  const auto it = std::find_if(downloads_.begin(), downloads_.end(),
                               [download](const auto& item) { return item.get() == download; });
  return it == downloads_.end() ? -1 : static_cast<int>(it - downloads_.begin());
}

int DownloadQueue::findRow(const QString& key) const {
  for (int row = 0; row < count(); ++row) {
    if (keyOf(at(row)) == key) return row;
  }
  return -1;
}

int DownloadQueue::add(const QString& link, const QString& folder) {
  auto download = std::make_unique<Download>(link, folder);
  const QString key = keyOf(*download);
  if (const int row = findRow(key); row >= 0) {
    retry(row);  // does nothing unless that row failed or was cancelled
    return row;
  }
  if (const auto known = fetched_.constFind(key); known != fetched_.constEnd()) {
    download->markAlreadyDownloaded(known.value());
  }
  return append(std::move(download));
}

int DownloadQueue::append(std::unique_ptr<Download> download) {
  const int row = count();
  Download* item = download.get();
  emit aboutToInsert(row);
  downloads_.push_back(std::move(download));
  connect(item, &Download::progressed, this, [this, item] { emit changed(rowOf(item)); });
  connect(item, &Download::stateChanged, this, [this, item] { onStateChanged(item); });
  emit inserted(row);
  startWaiting();
  return row;
}

void DownloadQueue::onStateChanged(Download* download) {
  if (download->state() == Download::State::Finished) {
    fetched_.insert(keyOf(*download), download->targetFile());
  }
  emit changed(rowOf(download));
  startWaiting();
}

void DownloadQueue::startWaiting() {
  // A start that fails at once reports back into here; the loop below goes on with the
  // next waiting download, so the nested call has nothing to do.
  if (starting_) return;
  starting_ = true;
  int running = runningCount();
  for (const auto& download : downloads_) {
    if (running >= maxParallel_) break;
    if (download->state() != Download::State::Queued) continue;
    download->start(net_);
    if (download->state() == Download::State::Running) ++running;
  }
  starting_ = false;
  if (running > 0 && !speedTimer_.isActive()) speedTimer_.start();
}

void DownloadQueue::refreshSpeeds() {
  bool anyRunning = false;
  for (const auto& download : downloads_) {
    download->refreshSpeed();
    anyRunning = anyRunning || download->state() == Download::State::Running;
  }
  if (!anyRunning) speedTimer_.stop();
}

void DownloadQueue::cancel(int row) {
  if (row >= 0 && row < count()) downloads_[static_cast<size_t>(row)]->cancel();
}

bool DownloadQueue::retry(int row) {
  if (row < 0 || row >= count()) return false;
  return downloads_[static_cast<size_t>(row)]->retry();
}

void DownloadQueue::clearEnded() {
  for (int row = count() - 1; row >= 0; --row) {
    if (at(row).isActive()) continue;
    emit aboutToRemove(row);
    downloads_.erase(downloads_.begin() + row);
    emit removed(row);
  }
}

void DownloadQueue::cancelAll() {
  // Held like a start in progress, so that cancelling one does not start the next.
  const bool wasStarting = starting_;
  starting_ = true;
  for (const auto& download : downloads_) download->cancel();
  starting_ = wasStarting;
}

int DownloadQueue::runningCount() const {
  return static_cast<int>(std::count_if(downloads_.begin(), downloads_.end(), [](const auto& d) {
    return d->state() == Download::State::Running;
  }));
}

int DownloadQueue::queuedCount() const {
  return static_cast<int>(std::count_if(downloads_.begin(), downloads_.end(), [](const auto& d) {
    return d->state() == Download::State::Queued;
  }));
}

}  // namespace mailvane::fetchvane
