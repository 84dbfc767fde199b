#include "plugins/fetchvane/Download.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <filesystem>

#include "plugins/fetchvane/DownloadName.h"
#include "system/FileUtil.h"

namespace mailvane::fetchvane {

namespace {

constexpr int kMaxRedirects = 10;
// A server that sends nothing for this long is given up, so a stalled row cannot hold
// one of the few parallel slots for ever.
constexpr int kTransferTimeoutMs = 60000;
// Another program may take a free name between choosing it and using it.
constexpr int kMaxNameAttempts = 100;
constexpr qint64 kReadChunk = 256 * 1024;
const QString kTemporarySuffix = QStringLiteral(".part");

QString freeFileName(const QString& path) {
  const std::filesystem::path free = system::FreeFileName(std::filesystem::path(path.toStdString()));
  return QString::fromStdString(free.string());
}

QString folderOf(const QString& folder) {
  return folder.trimmed().isEmpty() ? QString() : QDir::cleanPath(QDir(folder).absolutePath());
}

}  // namespace

Download::Download(const QString& link, const QString& folder)
    : link_(link), url_(link.trimmed()), folder_(folderOf(folder)), fileName_(fileNameForLink(url_)) {
  targetFile_ = plannedTarget();
  if (!isFetchable(url_)) {
    reason_ = tr("Refused: not an http or https link");
    state_ = State::Failed;
  } else if (folder_.isEmpty()) {
    reason_ = tr("No target folder given");
    state_ = State::Failed;
  }
}

Download::~Download() {
  dropReply();
  discardTemporaryFile();
}

QString Download::plannedTarget() const {
  return folder_.isEmpty() ? QString() : QDir(folder_).filePath(fileName_);
}

bool Download::isRefused() const { return !isFetchable(url_); }

bool Download::canRetry() const {
  return (state_ == State::Failed || state_ == State::Cancelled) && !isRefused() &&
         !folder_.isEmpty();
}

void Download::start(QNetworkAccessManager& net) {
  if (state_ != State::Queued) return;
  resetProgress();
  if (!QDir().mkpath(folder_)) {
    fail(tr("Cannot create the folder %1").arg(folder_));
    return;
  }
  if (!openTemporaryFile()) return;

  QNetworkRequest request(url_);
  // Qt follows only web links and never from https down to http.
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::NoLessSafeRedirectPolicy);
  request.setMaximumRedirectsAllowed(kMaxRedirects);
  request.setTransferTimeout(kTransferTimeoutMs);
  // The bytes are stored as sent; asking for no compression also keeps Content-Length a
  // count of the bytes that must arrive.
  request.setRawHeader("Accept-Encoding", "identity");
  reply_ = net.get(request);
  connect(reply_, &QNetworkReply::metaDataChanged, this, &Download::onMetaDataChanged);
  connect(reply_, &QNetworkReply::readyRead, this, &Download::onReadyRead);
  connect(reply_, &QNetworkReply::finished, this, &Download::onFinished);
  clock_.start();
  setState(State::Running);
}

bool Download::openTemporaryFile() {
  for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
    const QString temporary = freeFileName(targetFile_ + kTemporarySuffix);
    if (temporary.isEmpty()) break;
    file_.setFileName(temporary);
    // NewOnly: a name taken since it was chosen is tried again, never overwritten.
    if (file_.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) return true;
    if (!QFileInfo::exists(temporary)) {
      const QString error = file_.errorString();
      file_.setFileName(QString());
      fail(tr("Cannot write in %1: %2").arg(folder_, error));
      return false;
    }
  }
  file_.setFileName(QString());
  fail(tr("No free file name in %1").arg(folder_));
  return false;
}

void Download::cancel() {
  if (!isActive()) return;
  dropReply();
  discardTemporaryFile();
  reason_.clear();
  bytesPerSecond_ = 0;
  setState(State::Cancelled);
}

bool Download::retry() {
  if (!canRetry()) return false;
  resetProgress();
  reason_.clear();
  targetFile_ = plannedTarget();
  setState(State::Queued);
  return true;
}

void Download::markAlreadyDownloaded(const QString& file) {
  dropReply();
  discardTemporaryFile();
  targetFile_ = file;
  received_ = total_ = QFileInfo(file).size();
  reason_ = tr("Already downloaded");
  setState(State::Finished);
}

void Download::onMetaDataChanged() {
  const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (status < 200 || status >= 300) return;
  const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
  total_ = length.isValid() ? length.toLongLong() : -1;
  emit progressed();
}

void Download::onReadyRead() {
  const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  // A redirect is followed by Qt; one that is not followed ends in onFinished.
  if (status >= 300 && status < 400) return;
  // An error page carries a body and a length of its own: it must never become the file.
  if (!checkStatus()) return;
  if (writeAvailable()) sampleSpeed(false);
}

void Download::onFinished() {
  const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (reply_->error() == QNetworkReply::TooManyRedirectsError) {
    fail(tr("Too many redirects"));
    return;
  }
  if (status >= 300 && status < 400) {
    // A redirect that was not followed: Qt refuses targets that are not web links.
    const QUrl target(QString::fromUtf8(reply_->rawHeader("Location")));
    if (!target.isEmpty()) {
      fail(tr("Refused a redirect to %1").arg(reply_->url().resolved(target).toDisplayString()));
      return;
    }
  }
  if (status != 0 && !checkStatus()) return;
  if (reply_->error() != QNetworkReply::NoError) {
    // Our own cancel disconnects first, so a cancelled reply here is the transfer timeout.
    fail(reply_->error() == QNetworkReply::OperationCanceledError
             ? tr("The server sent nothing for %1 seconds").arg(kTransferTimeoutMs / 1000)
             : reply_->errorString());
    return;
  }
  if (!writeAvailable()) return;
  if (total_ >= 0 && received_ != total_) {
    fail(tr("The server stopped after %1 of %2 bytes").arg(received_).arg(total_));
    return;
  }
  dropReply();
  if (!moveIntoPlace()) return;
  bytesPerSecond_ = received_ * 1000.0 / std::max<qint64>(1, clock_.elapsed());
  if (total_ < 0) total_ = received_;
  setState(State::Finished);
}

bool Download::checkStatus() {
  const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (status >= 200 && status < 300) return true;
  const QString phrase =
      reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
  fail(phrase.isEmpty() ? tr("HTTP %1").arg(status) : tr("HTTP %1 %2").arg(status).arg(phrase));
  return false;
}

bool Download::writeAvailable() {
  while (reply_->bytesAvailable() > 0) {
    const QByteArray data = reply_->read(kReadChunk);
    if (file_.write(data) != data.size()) {
      fail(tr("Cannot write %1: %2").arg(QFileInfo(file_.fileName()).fileName(), file_.errorString()));
      return false;
    }
    received_ += data.size();
  }
  return true;
}

bool Download::moveIntoPlace() {
  file_.close();
  if (file_.error() != QFileDevice::NoError) {
    fail(tr("Cannot write %1: %2").arg(QFileInfo(file_.fileName()).fileName(), file_.errorString()));
    return false;
  }
  for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
    const QString target = freeFileName(plannedTarget());
    if (target.isEmpty()) break;
    // QFile::rename never replaces an existing file, so a name taken meanwhile is retried.
    if (file_.rename(target)) {
      targetFile_ = target;
      file_.setFileName(QString());
      return true;
    }
    if (!QFileInfo::exists(target)) {
      fail(tr("Cannot rename to %1: %2").arg(target, file_.errorString()));
      return false;
    }
  }
  fail(tr("No free file name for %1").arg(plannedTarget()));
  return false;
}

void Download::fail(const QString& reason) {
  dropReply();
  discardTemporaryFile();
  reason_ = reason;
  bytesPerSecond_ = 0;
  setState(State::Failed);
}

void Download::dropReply() {
  if (!reply_) return;
  // Disconnect first: abort() emits finished at once, and this download is done with it.
  disconnect(reply_, nullptr, this, nullptr);
  if (reply_->isRunning()) reply_->abort();
  reply_->deleteLater();
  reply_ = nullptr;
}

void Download::discardTemporaryFile() {
  if (file_.fileName().isEmpty()) return;
  file_.close();
  file_.remove();
  file_.setFileName(QString());
}

void Download::setState(State state) {
  state_ = state;
  emit stateChanged();
}

void Download::refreshSpeed() {
  if (state_ == State::Running) sampleSpeed(true);
}

void Download::sampleSpeed(bool force) {
  const qint64 now = clock_.elapsed();
  const qint64 elapsed = now - sampleTime_;
  if (!force && elapsed < kReportIntervalMs) return;
  if (elapsed > 0) {
    const double current = (received_ - sampleBytes_) * 1000.0 / elapsed;
    // Smoothed so the figure is readable while a server sends in bursts.
    bytesPerSecond_ = bytesPerSecond_ == 0 ? current : 0.7 * bytesPerSecond_ + 0.3 * current;
  }
  sampleTime_ = now;
  sampleBytes_ = received_;
  emit progressed();
}

void Download::resetProgress() {
  received_ = 0;
  total_ = -1;
  bytesPerSecond_ = 0;
  sampleTime_ = 0;
  sampleBytes_ = 0;
}

}  // namespace mailvane::fetchvane
