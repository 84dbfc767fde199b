#pragma once
// The desktop program's stored settings, read from the command line through the settings
// library beside the program (which brings Qt), loaded only by the runs that need it.

#include <string>
#include <string_view>

#include "cli/LazyLibrary.h"

namespace mailvane::cli {

// The one settings library of this process.
LazyLibrary& settingsLibrary();

// The text of a key of the "Settings" section into value: empty when unset, or when the
// program was built without a settings store. False, with error set, when the settings
// cannot be read.
bool readStoredSetting(std::string_view key, std::string& value, std::string& error);

}  // namespace mailvane::cli
