#include "cli/DesktopEntry.h"

namespace mailvane {

bool desktopAvailable() { return false; }
int startDesktop(int, char**) { return 2; }

}  // namespace mailvane
