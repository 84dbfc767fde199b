#pragma once
// The entry points of the command line's lazily loaded libraries, named once for both
// sides. Both sides are built by the same compiler, so C++ types may cross.

#include <string>

namespace mailvane::cli {

inline constexpr const char* kDesktopLibrary = "libmailvane_desktop.so";
inline constexpr const char* kDesktopEntry = "mailvane_start_desktop";
using DesktopEntryFn = int (*)(int argc, char** argv);

inline constexpr const char* kOutputFolderLibrary = "libmailvane_outputfolder.so";
inline constexpr const char* kOutputFolderEntry = "mailvane_default_output_folder";
// Fills folder, or error when there is none; returns whether a folder was found.
using OutputFolderEntryFn = bool (*)(std::string* folder, std::string* error);

}  // namespace mailvane::cli
