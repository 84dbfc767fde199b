#pragma once
// The folder-watch object "Newswatch.Newswatch": reports every file created below Path
// whose name matches Filter to the receivers' Filecreated(fullPath, name), called by name
// on each receiver's own thread. The kernel's events are read on a thread of the watch
// and passed to this object's thread in batches, in the order the files appeared.

#include <QObject>
#include <QString>

#include <memory>

#include "plugins/newswatch/FilecreatedReceivers.h"
#include "plugins/newswatch/WildcardPattern.h"

namespace mailvane::newswatch {

class WatchThread;
struct WatchBatch;

class Newswatch : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Path READ path WRITE setPath)
  Q_PROPERTY(QString Filter READ filter WRITE setFilter)
  Q_PROPERTY(bool IncludeSubdir READ includeSubdir WRITE setIncludeSubdir)
  Q_PROPERTY(bool Run READ running WRITE setRun)
  Q_PROPERTY(QString LastError READ lastError NOTIFY errorOccurred)

 public:
  explicit Newswatch(QObject* parent = nullptr);
  ~Newswatch() override;

  Q_INVOKABLE void AddFilecreated(QObject* receiver);
  Q_INVOKABLE void RemoveFilecreated(QObject* receiver);

  QString path() const { return path_; }
  // While running, a new folder restarts the watch there.
  void setPath(const QString& path);
  QString filter() const { return filter_; }
  // Takes effect for the next file reported; the watch goes on.
  void setFilter(const QString& filter);
  bool includeSubdir() const { return includeSubdir_; }
  void setIncludeSubdir(bool include);
  // False also after a start that failed and after the watched folder disappeared.
  bool running() const { return watch_ != nullptr; }
  void setRun(bool run);
  // The last problem met, empty after a successful start.
  QString lastError() const { return lastError_; }

 signals:
  // Also for problems that do not stop the watch, such as folders left unwatched at the
  // system's watch limit.
  void errorOccurred(const QString& message);

 private:
  bool start();
  void stop();
  void restartIfRunning();
  void onBatch(quint64 generation, const WatchBatch& batch);
  void reportProblem(const QString& message);

  QString path_;
  QString filter_ = QStringLiteral("*.*");
  WildcardPattern pattern_{"*.*"};
  bool includeSubdir_ = false;
  QString lastError_;
  // Batches already queued from an earlier watch are recognised and dropped by this.
  quint64 generation_ = 0;
  FilecreatedReceivers receivers_{this};
  std::unique_ptr<WatchThread> watch_;
};

}  // namespace mailvane::newswatch
