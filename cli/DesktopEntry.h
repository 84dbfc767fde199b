#pragma once
// The desktop program's entry point. The GUI build links the real one from windows/;
// a build without the GUI links a stand-in that says so.

namespace mailvane {

// True when this build contains the desktop program.
bool desktopAvailable();
// Starts the desktop program and returns its exit status.
int startDesktop(int argc, char** argv);

}  // namespace mailvane
