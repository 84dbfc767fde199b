#pragma once
// The entry point of the library that reads the "IndexRoots" setting for the command line,
// named once for both sides (built by the same compiler, so C++ types may cross).

#include <string>

namespace mailvane::index {

inline constexpr const char* kIndexSettingsLibrary = "libmailvane_indexsettings.so";
inline constexpr const char* kIndexRootsEntry = "mailvane_index_roots_setting";
// Fills value with the setting's text (empty when unset) or error; returns success.
using IndexRootsEntryFn = bool (*)(std::string* value, std::string* error);

}  // namespace mailvane::index
