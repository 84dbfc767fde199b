#include "plugins/newswatch/Newswatch.h"

#include <QFile>
#include <QMetaObject>
#include <QPointer>
#include <QtDebug>

#include "plugins/newswatch/TreeWatcher.h"
#include "plugins/newswatch/WatchThread.h"

namespace mailvane::newswatch {

namespace {

// File names on Linux are bytes; QFile's codec turns them into text and back losslessly
// for the locale the program runs in.
std::string toLocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString fromLocalPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

Newswatch::Newswatch(QObject* parent) : QObject(parent) {}

// The watch thread is joined first: after that nothing posts to this object any more,
// and batches still queued die with it.
Newswatch::~Newswatch() { stop(); }

void Newswatch::AddFilecreated(QObject* receiver) { receivers_.add(receiver); }

void Newswatch::RemoveFilecreated(QObject* receiver) { receivers_.remove(receiver); }

void Newswatch::setPath(const QString& path) {
  if (path == path_) return;
  path_ = path;
  restartIfRunning();
}

void Newswatch::setFilter(const QString& filter) {
  filter_ = filter;
  pattern_ = WildcardPattern(filter.toStdString());
}

void Newswatch::setIncludeSubdir(bool include) {
  if (include == includeSubdir_) return;
  includeSubdir_ = include;
  restartIfRunning();
}

void Newswatch::setRun(bool run) {
  if (run == running()) return;
  if (run) {
    start();
  } else {
    stop();
  }
}

void Newswatch::restartIfRunning() {
  if (!running()) return;
  stop();
  start();
}

bool Newswatch::start() {
  auto watcher = std::make_unique<TreeWatcher>();
  if (!watcher->start(toLocalPath(path_), includeSubdir_)) {
    reportProblem(fromLocalPath(watcher->error()));
    return false;
  }
  lastError_.clear();
  const std::vector<std::string> notices = watcher->takeNotices();
  const quint64 generation = ++generation_;
  watch_ = std::make_unique<WatchThread>(std::move(watcher), [this, generation](WatchBatch batch) {
    QMetaObject::invokeMethod(
        this, [this, generation, batch = std::move(batch)] { onBatch(generation, batch); },
        Qt::QueuedConnection);
  });
  for (const std::string& notice : notices) reportProblem(fromLocalPath(notice));
  return true;
}

void Newswatch::stop() {
  ++generation_;
  watch_.reset();
}

void Newswatch::onBatch(quint64 generation, const WatchBatch& batch) {
  if (generation != generation_) return;
  for (const std::string& notice : batch.notices) reportProblem(fromLocalPath(notice));
  // A receiver may stop the watch, or have the plug-in object deleted, from inside its call.
  const QPointer<Newswatch> alive(this);
  for (const CreatedFile& file : batch.files) {
    if (!pattern_.matches(file.name)) continue;
    receivers_.deliver(fromLocalPath(file.fullPath), fromLocalPath(file.name));
    if (!alive || generation != generation_) return;
  }
  if (batch.rootLost) {
    stop();
    reportProblem(QStringLiteral("The watched folder was removed or moved away: ") + path_);
  }
}

void Newswatch::reportProblem(const QString& message) {
  lastError_ = message;
  qWarning().noquote() << "Newswatch:" << message;
  emit errorOccurred(message);
}

}  // namespace mailvane::newswatch
