// The desktop program, loaded from its library beside the executable only when
// `mailvane` is started without a sub-command.
#include <iostream>

#include "cli/DesktopEntry.h"
#include "cli/LazyLibrary.h"
#include "cli/ModuleEntries.h"

namespace mailvane {
namespace {
cli::LazyLibrary& desktopLibrary() {
  static cli::LazyLibrary library(cli::kDesktopLibrary);
  return library;
}
}  // namespace

bool desktopAvailable() { return desktopLibrary().present(); }

int startDesktop(int argc, char** argv) {
  auto entry = reinterpret_cast<cli::DesktopEntryFn>(desktopLibrary().symbol(cli::kDesktopEntry));
  if (!entry) {
    std::cerr << "mailvane: cannot start the desktop program: " << desktopLibrary().error()
              << '\n';
    return 2;
  }
  return entry(argc, argv);
}

}  // namespace mailvane
