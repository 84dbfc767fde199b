#pragma once
// Keeps a preview page inside the message: a stored message is untrusted, and a remote
// picture or script would tell its sender that the message was opened. Only the
// preview scheme and inline data are let through; every other request is blocked.

#include <QWebEngineUrlRequestInterceptor>

#include <atomic>

namespace mailvane {

class RequestBlocker : public QWebEngineUrlRequestInterceptor {
  Q_OBJECT

 public:
  using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

  void interceptRequest(QWebEngineUrlRequestInfo& info) override;
  int blockedCount() const { return blocked_; }

 private:
  std::atomic<int> blocked_{0};  // requests may be intercepted off the window thread
};

}  // namespace mailvane
