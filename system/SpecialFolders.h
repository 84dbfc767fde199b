#pragma once
// The user's special folders, by the numbers the program has always used for them.

#include <string>

namespace mailvane::system {

inline constexpr int kCsidlPersonal = 5;         // documents folder
inline constexpr int kCsidlInternetCache = 32;   // cache for preview files
inline constexpr int kCsidlProfile = 40;         // the user's home folder

// UTF-8 path of the folder, always ending in "/"; the empty text for a number it does not
// know or a folder it cannot find. 5: the XDG documents folder (user-dirs.dirs), else
// ~/Documents; 32: $XDG_CACHE_HOME/mailvane/ or ~/.cache/mailvane/, created when missing;
// 40: the home folder.
std::string GetSpecialFolder(int csidl);

}  // namespace mailvane::system
