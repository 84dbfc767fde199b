// The desktop program's entry: the application object, the program's windows and the
// main menu. The command line calls it when `mailvane` is given no sub-command, or files
// and folders to open instead of one.
#include <QApplication>
#include <QIcon>
#include <QPointer>

#include "cli/DesktopEntry.h"
#include "windows/FrmMenu/FrmMenu.h"
#include "windows/family/PreviewScheme.h"
#include "windows/shell/GivenPaths.h"
#include "windows/shell/WindowCatalog.h"
#include "windows/shell/WindowRegistry.h"

// The icon lives in a static library; its resources must be pulled in by hand.
static void initResources() {
  Q_INIT_RESOURCE(desktop);
}

namespace mailvane {

bool desktopAvailable() {
  return true;
}

int startDesktop(int argc, char** argv) {
  PreviewScheme::prepareWebEngine();  // the web engine reads it before the application exists
  QApplication app(argc, argv);
  initResources();
  QApplication::setApplicationDisplayName(QStringLiteral("Mailvane"));
  QApplication::setApplicationVersion(QStringLiteral(MAILVANE_VERSION_TEXT));
  QApplication::setDesktopFileName(QStringLiteral("mailvane"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/mailvane/mailvane.png")));

  // Declared after the application object, so the windows go before it does.
  WindowRegistry windows;
  registerProgramWindows(windows);

  QPointer<FrmMenu> menu = new FrmMenu(windows);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  QCoreApplication::processEvents();
  menu->show();
  QCoreApplication::processEvents();
  // Files and folders given to `mailvane` (Qt has taken its own options out).
  GivenPaths::open(windows, QApplication::arguments().mid(1), menu);
  const int status = QApplication::exec();
  delete menu.data();
  return status;
}

}  // namespace mailvane
