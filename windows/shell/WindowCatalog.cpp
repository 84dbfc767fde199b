#include "windows/shell/WindowCatalog.h"

#include "windows/FrmDbxExtract/FrmDbxExtract.h"
#include "windows/FrmExtract/FrmExtract.h"
#include "windows/FrmListen/FrmListen.h"
#include "windows/FrmLive/FrmLive.h"
#include "windows/Frmindex/Frmindex.h"
#include "windows/frmAbout/frmAbout.h"
#include "windows/shell/PlaceholderWindow.h"
#include "windows/shell/WindowRegistry.h"

namespace mailvane {
namespace {

struct Placeholder {
  const char* name;
  const char* caption;
};

// Windows this build does not have yet, with the captions their own classes will carry.
constexpr Placeholder placeholders[] = {
    {"FrmLive", "Extract from Folders"},
    {"FrmDbxExtract", "Extract from Outlook Express Dbx files"},
    {"FrmExtract", "Extract from OE Folders"},
    {"FrmListen", "Listen on Windows Live or Windows Mail folders"},
    {"Frmindex", "Search in Indexed News"},
    {"emlnwstest", "Windows Mail and Windows Live Mail Listener"},
};

}  // namespace

void registerProgramWindows(WindowRegistry& registry) {
  for (const Placeholder& window : placeholders)
    registry.add(QLatin1String(window.name),
                 PlaceholderWindow::factory(QLatin1String(window.caption)));
  // Real windows, one line each; a line here replaces the window's placeholder above.
  registry.add(QStringLiteral("frmAbout"), [] { return new frmAbout; });
  registry.add(QStringLiteral("FrmLive"), [] { return new FrmLive; });
  registry.add(QStringLiteral("FrmExtract"), [] { return new FrmExtract; });
  registry.add(QStringLiteral("Frmindex"), [] { return new Frmindex; });
  registry.add(QStringLiteral("FrmDbxExtract"), [] { return new FrmDbxExtract; });
  registry.add(QStringLiteral("FrmListen"), [] { return new FrmListen; });
}

}  // namespace mailvane
