// main() for widget tests: one QApplication for the whole test binary, on the offscreen
// platform unless the caller chose another (test discovery runs without the test's
// environment, so the default has to come from here).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QLocale::setDefault(QLocale::c());
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Mailvane"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
