#include "windows/Frmindex/IndexKeeper.h"

namespace mailvane {
namespace {

// How often the window looks at the scan: often enough for a lively count, and a finished
// scan is noticed within this time.
constexpr int kPollMs = 200;

}  // namespace

IndexKeeper::IndexKeeper(std::filesystem::path indexFile, QObject* parent)
    : QObject(parent), file_(std::move(indexFile)) {
  poll_.setInterval(kPollMs);
  connect(&poll_, &QTimer::timeout, this, &IndexKeeper::poll);
}

IndexKeeper::~IndexKeeper() = default;  // the indexer's destructor stops and joins

std::string IndexKeeper::lastError() const {
  return indexer_ ? indexer_->lastError() : std::string();
}

bool IndexKeeper::start(const std::vector<std::filesystem::path>& roots) {
  if (file_.empty() || scanning()) return false;
  indexer_ = std::make_unique<index::BackgroundIndexer>(file_, roots);
  seen_ = 0;
  indexer_->setProgress([this](const index::ScanCounts& counts, const std::string&) {
    seen_ = counts.seen;  // read by the window's thread at its next poll
  });
  if (!indexer_->start()) return false;
  poll_.start();
  emit progressed();
  return true;
}

void IndexKeeper::stop() {
  if (indexer_) indexer_->stop();
  poll_.stop();
}

bool IndexKeeper::scanning() const {
  return indexer_ && indexer_->running();
}

void IndexKeeper::poll() {
  if (scanning()) {
    emit progressed();
    return;
  }
  poll_.stop();
  emit finished();
}

}  // namespace mailvane
