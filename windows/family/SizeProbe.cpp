#include "windows/family/SizeProbe.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

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
  QNetworkRequest request(url);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::UserVerifiedRedirectPolicy);
  request.setMaximumRedirectsAllowed(kMaxRedirects);
  // The size of the file itself: a compressed answer announces the compressed length,
  // and Qt drops the header of an answer that it decompresses.
  request.setRawHeader("Accept-Encoding", "identity");
  QNetworkReply* reply = manager_.get(request);

  auto settled = std::make_shared<bool>(false);
  auto settle = [this, reply, settled, done = std::move(done)](int32_t size) {
    if (*settled) return;
    *settled = true;
    reply->disconnect(this);
    // The headers are all that was wanted. Aborted once the reply has finished handling
    // what it is in the middle of (an error status, say, which it still reports).
    QMetaObject::invokeMethod(
        reply,
        [reply] {
          reply->abort();
          reply->deleteLater();
        },
        Qt::QueuedConnection);
    --pending_;
    done(size);
  };
  // Redirects stay on the web and never step down from https to http.
  connect(reply, &QNetworkReply::redirected, this, [reply, settle](const QUrl& target) {
    const QUrl next = reply->url().resolved(target);
    const bool downgrade =
        reply->url().scheme() == QLatin1String("https") && next.scheme() == QLatin1String("http");
    if (isWeb(next) && !downgrade)
      emit reply->redirectAllowed();
    else
      settle(0);
  });
  connect(reply, &QNetworkReply::metaDataChanged, this, [reply, settle] {
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300 && status <= 399 && reply->hasRawHeader("Location")) return;  // followed
    settle(announcedSize(*reply));
  });
  connect(reply, &QNetworkReply::finished, this, [reply, settle] {
    settle(reply->error() == QNetworkReply::NoError ? announcedSize(*reply) : 0);
  });
  QTimer::singleShot(timeout_, reply, [settle] { settle(0); });
}

}  // namespace mailvane
