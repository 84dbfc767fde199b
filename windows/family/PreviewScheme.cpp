#include "windows/family/PreviewScheme.h"

#include <QWebEngineUrlScheme>

#include <unistd.h>

namespace mailvane {

QByteArray PreviewScheme::name() { return QByteArrayLiteral("mailvane-preview"); }

void PreviewScheme::prepareWebEngine() {
  if (QWebEngineUrlScheme::schemeByName(name()).name().isEmpty()) {
    QWebEngineUrlScheme scheme(name());
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    QWebEngineUrlScheme::registerScheme(scheme);
  }
  allowRootWithoutSandbox();
}

void PreviewScheme::allowRootWithoutSandbox() {
  if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

QUrl PreviewScheme::pageUrl(quint64 serial) {
  QUrl url;
  url.setScheme(QString::fromLatin1(name()));
  url.setPath(QStringLiteral("/%1/").arg(serial));
  return url;
}

bool PreviewScheme::parse(const QUrl& url, quint64& serial, QString& partName) {
  if (url.scheme() != QLatin1String(name())) return false;
  const QString path = url.path(QUrl::FullyDecoded);
  if (!path.startsWith(QLatin1Char('/'))) return false;
  const qsizetype slash = path.indexOf(QLatin1Char('/'), 1);
  if (slash < 0) return false;
  bool ok = false;
  serial = path.mid(1, slash - 1).toULongLong(&ok);
  partName = path.mid(slash + 1);
  return ok;
}

}  // namespace mailvane
