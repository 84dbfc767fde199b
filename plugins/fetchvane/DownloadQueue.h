#pragma once
// The downloads handed to the plug-in, in the order they came, with at most a few
// running at once and the rest waiting. Views watch it through its signals.

#include <QHash>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

#include "plugins/fetchvane/Download.h"

namespace mailvane::fetchvane {

class DownloadQueue : public QObject {
  Q_OBJECT

 public:
  static constexpr int kDefaultParallel = 3;

  explicit DownloadQueue(int maxParallel = kDefaultParallel, QObject* parent = nullptr);
  ~DownloadQueue() override;

  // Queues a link for the folder and returns its row. A link already queued, running or
  // fetched into the same folder is not fetched again: its row is returned instead (a
  // failed or cancelled one is retried), or, once cleared away, a row that shows it as
  // already downloaded.
  int add(const QString& link, const QString& folder);
  void cancel(int row);
  bool retry(int row);
  // Removes the rows whose download has ended (finished, failed or cancelled).
  void clearEnded();
  // Stops everything still queued or running; their temporary files are removed.
  void cancelAll();

  int count() const { return static_cast<int>(downloads_.size()); }
  const Download& at(int row) const { return *downloads_.at(static_cast<size_t>(row)); }
  int runningCount() const;
  int queuedCount() const;
  int maxParallel() const { return maxParallel_; }

 signals:
  void aboutToInsert(int row);
  void inserted(int row);
  void aboutToRemove(int row);
  void removed(int row);
  void changed(int row);

 private:
  static QString keyOf(const Download& download);
  int rowOf(const Download* download) const;
  int findRow(const QString& key) const;
  int append(std::unique_ptr<Download> download);
  void onStateChanged(Download* download);
  void startWaiting();
  void refreshSpeeds();

  int maxParallel_;
  QNetworkAccessManager net_;
  // Declared after net_ so they are destroyed first: a download aborts its reply.
  std::vector<std::unique_ptr<Download>> downloads_;
  // Links fetched in this run, by link and folder, with the file each became.
  QHash<QString, QString> fetched_;
  bool starting_ = false;
  QTimer speedTimer_;
};

}  // namespace mailvane::fetchvane
