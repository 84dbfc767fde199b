#include "windows/family/RequestBlocker.h"

#include <QWebEngineUrlRequestInfo>

#include "windows/family/PreviewScheme.h"

namespace mailvane {

void RequestBlocker::interceptRequest(QWebEngineUrlRequestInfo& info) {
  const QString scheme = info.requestUrl().scheme();
  if (scheme == QLatin1String(PreviewScheme::name()) || scheme == QLatin1String("data") ||
      scheme == QLatin1String("about"))
    return;
  info.block(true);
  ++blocked_;
}

}  // namespace mailvane
