#include "windows/shell/WindowCatalog.h"

#include "windows/frmAbout/frmAbout.h"
#include "windows/shell/PlaceholderWindow.h"
#include "windows/shell/WindowRegistry.h"

namespace mailvane {

// One line per window: a window's own class replaces its placeholder here.
void registerProgramWindows(WindowRegistry& registry) {
  registry.add(QStringLiteral("FrmLive"), PlaceholderWindow::factory(QStringLiteral("Extract from Folders")));
  registry.add(QStringLiteral("FrmDbxExtract"), PlaceholderWindow::factory(QStringLiteral("Extract from Outlook Express Dbx files")));
  registry.add(QStringLiteral("FrmExtract"), PlaceholderWindow::factory(QStringLiteral("Extract from OE Folders")));
  registry.add(QStringLiteral("FrmListen"), PlaceholderWindow::factory(QStringLiteral("Listen on Windows Live or Windows Mail folders")));
  registry.add(QStringLiteral("Frmindex"), PlaceholderWindow::factory(QStringLiteral("Search in Indexed News")));
  registry.add(QStringLiteral("emlnwstest"), PlaceholderWindow::factory(QStringLiteral("Windows Mail and Windows Live Mail Listener")));
  registry.add(QStringLiteral("frmAbout"), [] { return new frmAbout; });
}

}  // namespace mailvane
