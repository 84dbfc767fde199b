#pragma once
// Asks web servers how large a linked file is. Each request is a GET that is dropped as
// soon as the answer's headers arrive, so a check of many links never downloads them;
// the size is the "Content-Length" header. Up to 10 redirects are followed, on the web
// only and never from https down to http. Every failure (no answer in time, an error
// status, no such header, a header that is not a 32-bit number, a link that is not
// http or https) gives the size 0.

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <cstdint>
#include <functional>

namespace mailvane {

class SizeProbe : public QObject {
  Q_OBJECT

 public:
  using Done = std::function<void(int32_t size)>;

  explicit SizeProbe(QObject* parent = nullptr);
  ~SizeProbe() override;

  // A request that has not settled by then, redirects included, counts as unanswered
  // (30 s unless set).
  void setTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
  // Requests the link with its surrounding blanks removed. `done` is called once, from
  // the event loop and never from inside this call; not at all when the probe is
  // destroyed first.
  void request(const QString& link, Done done);
  // Requests started and not yet settled.
  int pending() const { return pending_; }

 private:
  using Deadline = std::chrono::steady_clock::time_point;
  void ask(const QUrl& url, int redirectsLeft, Deadline deadline, Done done);

  QNetworkAccessManager manager_;
  std::chrono::milliseconds timeout_{30000};
  int pending_ = 0;
};

}  // namespace mailvane
