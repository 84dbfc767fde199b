#pragma once
// Answers the requests of the preview page from the message on show: the page itself and
// its parts, all from memory. Requests for an earlier preview fail, so a page that is
// still loading cannot show another message's parts.

#include <QWebEngineUrlSchemeHandler>

#include <memory>
#include <optional>

#include "windows/family/PreviewContent.h"

namespace mailvane {

class PreviewSchemeHandler : public QWebEngineUrlSchemeHandler {
  Q_OBJECT

 public:
  using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

  // Makes pars the message on show and returns the URL of its page.
  QUrl show(std::shared_ptr<const SrParser> pars);
  void requestStarted(QWebEngineUrlRequestJob* job) override;

 private:
  quint64 serial_ = 0;
  std::optional<PreviewContent> content_;
};

}  // namespace mailvane
