#pragma once
// Registers every window of the program under its name.

namespace mailvane {

class WindowRegistry;

void registerProgramWindows(WindowRegistry& registry);

}  // namespace mailvane
