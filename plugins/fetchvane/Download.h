#pragma once
// One download: fetches a link into a temporary file in the target folder and renames it
// to a free file name only once every byte has arrived, so an interrupted download never
// leaves a file that looks finished.

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace mailvane::fetchvane {

class Download : public QObject {
  Q_OBJECT

 public:
  enum class State { Queued, Running, Finished, Failed, Cancelled };

  // A link that is not http or https starts out Failed with the reason, and never runs.
  Download(const QString& link, const QString& folder);
  ~Download() override;

  // Starts the transfer of a Queued download; returns at once.
  void start(QNetworkAccessManager& net);
  // Stops a Queued or Running download and removes its temporary file.
  void cancel();
  // Puts a Failed or Cancelled download back in the queue; false when it cannot run.
  bool retry();
  // Shows a link fetched earlier into the same folder, without fetching it again.
  void markAlreadyDownloaded(const QString& file);

  // Brings the speed up to date even when no data came since the last report, so a
  // stalled download shows it.
  void refreshSpeed();

  bool canRetry() const;
  // Links that are not http or https are never fetched.
  bool isRefused() const;
  bool isActive() const { return state_ == State::Queued || state_ == State::Running; }

  const QString& link() const { return link_; }
  const QUrl& url() const { return url_; }
  const QString& folder() const { return folder_; }
  // The final file once finished, before that the file the download is meant to become.
  const QString& targetFile() const { return targetFile_; }
  State state() const { return state_; }
  const QString& reason() const { return reason_; }
  qint64 received() const { return received_; }
  // -1 while the server has not announced a length.
  qint64 total() const { return total_; }
  double bytesPerSecond() const { return bytesPerSecond_; }

  // Time between two progress reports; state changes are reported at once.
  static constexpr qint64 kReportIntervalMs = 100;

 signals:
  void progressed();
  void stateChanged();

 private:
  bool openTemporaryFile();
  void onMetaDataChanged();
  void onReadyRead();
  void onFinished();
  bool writeAvailable();
  bool checkStatus();
  bool moveIntoPlace();
  void fail(const QString& reason);
  void dropReply();
  void discardTemporaryFile();
  void setState(State state);
  void sampleSpeed(bool force);
  void resetProgress();
  QString plannedTarget() const;

  QString link_;
  QUrl url_;
  QString folder_;
  QString fileName_;
  QString targetFile_;
  State state_ = State::Queued;
  QString reason_;
  QPointer<QNetworkReply> reply_;
  QFile file_;
  qint64 received_ = 0;
  qint64 total_ = -1;
  double bytesPerSecond_ = 0;
  QElapsedTimer clock_;
  qint64 sampleTime_ = 0;
  qint64 sampleBytes_ = 0;
};

}  // namespace mailvane::fetchvane
