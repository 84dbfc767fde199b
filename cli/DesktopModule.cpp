// The exported entry of libmailvane_desktop.so.
#include "cli/DesktopEntry.h"

extern "C" __attribute__((visibility("default"))) int mailvane_start_desktop(int argc,
                                                                            char** argv) {
  return mailvane::startDesktop(argc, argv);
}
