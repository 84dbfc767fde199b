#include "windows/family/SizeProbe.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <limits>
#include <memory>

namespace mailvane {
namespace {

constexpr int kMaxRedirects = 10;

bool isWeb(const QUrl& url) {
  return url.isValid() && !url.host().isEmpty() &&
         (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

int32_t contentLength(const QByteArray& header) {
  const QByteArray digits = header.trimmed();
  if (digits.isEmpty() || digits.size() > 10) return 0;
  int64_t value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value > std::numeric_limits<int32_t>::max() ? 0 : static_cast<int32_t>(value);
}

int32_t announcedSize(const QNetworkReply& reply) {
  const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (status < 200 || status > 299) return 0;
  return contentLength(reply.rawHeader("Content-Length"));
}

}  // namespace

SizeProbe::SizeProbe(QObject* parent) : QObject(parent) {}

// Requests still running are dropped without a word to their callers: those belong to
// the object that owns this probe and is going away with it.
SizeProbe::~SizeProbe() {
  for (QNetworkReply* reply : manager_.findChildren<QNetworkReply*>()) {
    reply->disconnect(this);
    reply->abort();
  }
}

void SizeProbe::request(const QString& link, Done done) {
  ++pending_;
  const QUrl url(link.trimmed());
  // Only the web is asked; a part name or a local or ftp link has no size to report here.
  if (!isWeb(url)) {
    QTimer::singleShot(0, this, [this, done = std::move(done)] {
      --pending_;
      done(0);
    });
    return;
  }
  ask(url, kMaxRedirects, std::chrono::steady_clock::now() + timeout_, std::move(done));
}

// One GET per hop. A redirect is followed by asking its target afresh rather than by
// Qt's own following, which can hand over the answer with the redirect's headers merged
// into it ("Content-Length: 0, 77"), so a file that exists would count as missing.
void SizeProbe::ask(const QUrl& url, int redirectsLeft, Deadline deadline, Done done) {
  QNetworkRequest request(url);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::ManualRedirectPolicy);
  // The size of the file itself: a compressed answer announces the compressed length,
  // and Qt drops the header of an answer that it decompresses.
  request.setRawHeader("Accept-Encoding", "identity");
  QNetworkReply* reply = manager_.get(request);

  // Ends this hop once: the headers are all that was wanted. The reply is aborted once it
  // has finished handling what it is in the middle of (an error status, say, which it
  // still reports).
  auto ended = std::make_shared<bool>(false);
  auto endHop = [this, reply, ended] {
    if (*ended) return false;
    *ended = true;
    reply->disconnect(this);
    QMetaObject::invokeMethod(
        reply,
        [reply] {
          reply->abort();
          reply->deleteLater();
        },
        Qt::QueuedConnection);
    return true;
  };
  auto settle = [this, endHop, done](int32_t size) {
    if (!endHop()) return;
    --pending_;
    done(size);
  };
  // Redirects stay on the web and never step down from https to http.
  auto answered = [this, reply, url, redirectsLeft, deadline, endHop, settle, done] {
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 300 || status > 399 || !reply->hasRawHeader("Location")) {
      settle(announcedSize(*reply));
      return;
    }
    // Read raw: most servers send a path on the same server, which Qt's parsed header drops.
    const QUrl next =
        url.resolved(QUrl::fromEncoded(reply->rawHeader("Location").trimmed(), QUrl::TolerantMode));
    const bool downgrade =
        url.scheme() == QLatin1String("https") && next.scheme() == QLatin1String("http");
    if (redirectsLeft == 0 || !isWeb(next) || downgrade) {
      settle(0);
    } else if (endHop()) {
      ask(next, redirectsLeft - 1, deadline, done);
    }
  };
  connect(reply, &QNetworkReply::metaDataChanged, this, answered);
  connect(reply, &QNetworkReply::finished, this, answered);
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  QTimer::singleShot(std::max(left, std::chrono::milliseconds(0)), reply, [settle] { settle(0); });
}

}  // namespace mailvane
