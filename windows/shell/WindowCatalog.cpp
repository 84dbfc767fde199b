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

// The earlier listener: no command opens it, but the menu's exit unloads it by name.
constexpr Placeholder placeholders[] = {
    {"emlnwstest", "Windows Mail and Windows Live Mail Listener"},
};

}  // namespace

void registerProgramWindows(WindowRegistry& registry) {
  for (const Placeholder& window : placeholders)
    registry.add(QLatin1String(window.name),
                 PlaceholderWindow::factory(QLatin1String(window.caption)));
  // Real windows, one line each.
  registry.add(QStringLiteral("frmAbout"), [] { return new frmAbout; });
  registry.add(QStringLiteral("FrmLive"), [] { return new FrmLive; });
  registry.add(QStringLiteral("FrmExtract"), [] { return new FrmExtract; });
  registry.add(QStringLiteral("Frmindex"), [] { return new Frmindex; });
  registry.add(QStringLiteral("FrmDbxExtract"), [] { return new FrmDbxExtract; });
  registry.add(QStringLiteral("FrmListen"), [] { return new FrmListen; });
}

}  // namespace mailvane
