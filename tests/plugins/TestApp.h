#pragma once
// GoogleTest owns main(), so each test binary makes its Qt application on first use and
// keeps it for the whole run.

#include <QCoreApplication>

namespace mailvane::testing {

template <class Application = QCoreApplication>
void ensureApplication() {
  if (QCoreApplication::instance()) return;
  // Widget tests must run without a display, whatever the test runner passed on.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "mailvane_plugin_tests";
  static char* argv[] = {name, nullptr};
  static Application* application = new Application(argc, argv);
  (void)application;
}

}  // namespace mailvane::testing
