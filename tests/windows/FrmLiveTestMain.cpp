// main() for the message window tests: the preview scheme must be registered before the
// application object exists, and every folder the windows touch (home, settings, cache,
// documents, registry) lives in one temporary folder for the whole run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>

#include "windows/family/PreviewScheme.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;
  if (!home.isValid()) return 2;
  const QByteArray root = home.path().toUtf8();
  qputenv("HOME", root);
  qputenv("XDG_CONFIG_HOME", root + "/config");
  qputenv("XDG_CACHE_HOME", root + "/cache");
  qputenv("XDG_DATA_HOME", root + "/data");
  qputenv("MAILVANE_REGISTRY", root + "/wine/user.reg");
  qputenv("WINEPREFIX", root + "/wine");
  mailvane::PreviewScheme::prepareWebEngine();
  QLocale::setDefault(QLocale::c());
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Mailvane"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
