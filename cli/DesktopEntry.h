#pragma once
// The desktop program's entry point: windows/ implements it, and the command line
// reaches it through the desktop library loaded beside the executable.

namespace mailvane {

// True when this build contains the desktop program.
bool desktopAvailable();
// Starts the desktop program and returns its exit status.
int startDesktop(int argc, char** argv);

}  // namespace mailvane
