// main() for widget tests: one QApplication for the whole test binary, on the offscreen
// platform unless the caller chose another (test discovery runs without the test's
// environment, so the default has to come from here). Windows read and write settings,
// documents, caches and the registry below the home folder, so every run gets a home of
// its own. Binaries with the message windows register the preview scheme, which has to
// happen before the application object exists.
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QLocale>
#include <QTemporaryDir>

#ifdef MAILVANE_TEST_PREVIEW_SCHEME
#include "windows/family/PreviewScheme.h"
#endif

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;
  if (!home.isValid()) return 2;
  const QByteArray h = home.path().toLocal8Bit();
  qputenv("HOME", h);
  qputenv("XDG_CONFIG_HOME", h + "/.config");
  qputenv("XDG_CACHE_HOME", h + "/.cache");
  qputenv("XDG_DATA_HOME", h + "/.local/share");
  qputenv("MAILVANE_REGISTRY", h + "/.wine/user.reg");
  qputenv("WINEPREFIX", h + "/.wine");
#ifdef MAILVANE_TEST_PREVIEW_SCHEME
  mailvane::PreviewScheme::prepareWebEngine();
#endif
  QLocale::setDefault(QLocale::c());
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Mailvane"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
