#pragma once
// The URL scheme the preview pages are served under. It must be known to the web engine
// before the application object exists.

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace mailvane {

class PreviewScheme {
 public:
  static QByteArray name();
  // Call once before the QApplication is made. Registers the scheme (no flags: the pages
  // get no local or secure privileges) and, only when the process runs as root, turns
  // off the web engine's sandbox, which refuses to start for root.
  static void prepareWebEngine();
  // The sandbox part alone; enough when the web engine has not started yet.
  static void allowRootWithoutSandbox();

  // The page of preview number serial, and its parts below it.
  static QUrl pageUrl(quint64 serial);
  // Splits a URL of the scheme into serial and part name (empty for the page itself).
  static bool parse(const QUrl& url, quint64& serial, QString& partName);
};

}  // namespace mailvane
