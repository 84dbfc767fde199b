// main() for widget tests: one QApplication for the whole test binary, on the offscreen
// platform unless the caller chose another (test discovery runs without the test's
// environment, so the default has to come from here). Windows read and write settings,
// documents and caches below the home folder, so every run gets a home of its own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QLocale>
#include <QTemporaryDir>

namespace {
void pointHomeAt(const QString& home) {
  const QByteArray h = home.toLocal8Bit();
  qputenv("HOME", h);
  qputenv("XDG_CONFIG_HOME", h + "/.config");
  qputenv("XDG_CACHE_HOME", h + "/.cache");
  qputenv("XDG_DATA_HOME", h + "/.local/share");
  qputenv("MAILVANE_REGISTRY", h + "/.wine/user.reg");
}
}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;
  if (home.isValid()) pointHomeAt(home.path());
  QLocale::setDefault(QLocale::c());
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Mailvane"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
