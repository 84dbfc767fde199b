#include "windows/family/PreviewSchemeHandler.h"

#include <QBuffer>
#include <QWebEngineUrlRequestJob>

#include "windows/family/PreviewScheme.h"

namespace mailvane {

QUrl PreviewSchemeHandler::show(std::shared_ptr<const SrParser> pars) {
  content_.emplace(std::move(pars));
  return PreviewScheme::pageUrl(++serial_);
}

void PreviewSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
  quint64 serial = 0;
  QString name;
  if (!content_ || !PreviewScheme::parse(job->requestUrl(), serial, name) || serial != serial_) {
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    return;
  }
  std::optional<PreviewContent::Reply> reply =
      name.isEmpty() ? content_->page() : content_->part(name);
  if (!reply) {
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    return;
  }
  auto* body = new QBuffer(job);  // lives as long as the job reads it
  body->setData(reply->body);
  job->reply(reply->mimeType, body);
}

}  // namespace mailvane
