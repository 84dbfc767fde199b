#pragma once
// The entry points of the command line's lazily loaded libraries, named once for both
// sides. Both sides are built by the same compiler, so C++ types may cross.

#include <string>

namespace mailvane::cli {

inline constexpr const char* kDesktopLibrary = "libmailvane_desktop.so";
inline constexpr const char* kDesktopEntry = "mailvane_start_desktop";
using DesktopEntryFn = int (*)(int argc, char** argv);

// The Qt settings store, for the runs that need a stored setting.
inline constexpr const char* kSettingsLibrary = "libmailvane_settingsaccess.so";
inline constexpr const char* kOutputFolderEntry = "mailvane_default_output_folder";
// Fills folder, or error when there is none; returns whether a folder was found.
using OutputFolderEntryFn = bool (*)(std::string* folder, std::string* error);
inline constexpr const char* kReadSettingEntry = "mailvane_read_setting";
// Fills value with the text of a key of the "Settings" section (empty when unset), or
// error; returns success.
using ReadSettingEntryFn = bool (*)(const char* key, std::string* value, std::string* error);

// Commands whose libraries (SQLite, GMime and theirs) would slow every start of the
// program live in libraries of their own. Each exports one entry, called like main():
// it writes to this process's stdout and stderr itself, so no stream crosses over.
inline constexpr const char* kIndexCommandLibrary = "libmailvane_command_index.so";
inline constexpr const char* kStoreCommandLibrary = "libmailvane_command_store.so";
inline constexpr const char* kCommandEntry = "mailvane_command_main";
// The store command's library also holds `mailvane dbx export`.
inline constexpr const char* kDbxExportEntry = "mailvane_dbx_export_main";
using CommandEntryFn = int (*)(int argc, char** argv);

}  // namespace mailvane::cli
