#pragma once
// Where Windows Live Mail or Windows Mail keeps its message store, as a folder on this
// system: the "Store Root" of the client's key under the current user's
// Software\Microsoft, with its "%USERPROFILE%\" replaced by the user's profile folder.

#include "system/RegistryApi.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace mailvane::system {

inline constexpr std::string_view kWindowsLiveMail = "Windows Live Mail";
inline constexpr std::string_view kWindowsMail = "Windows Mail";

// The user's profile folder, to put in place of "%USERPROFILE%" in a stored path: the one
// the Wine prefix records for its user, in Windows form ("C:\users\ann"), when that folder
// exists in the prefix (drive letters resolve through its dosdevices/ or drive_c/); else
// homeProfile. UTF-8, without a trailing separator.
std::string profileFolder(RegistryApi& registry, const std::filesystem::path& winePrefix,
                          const std::filesystem::path& homeProfile);

// The store folder of one client (subkey kWindowsLiveMail or kWindowsMail), or an empty
// path when its "Store Root" is missing or does not hold "%USERPROFILE%", which stands
// for profileFolder().
std::filesystem::path StoreRoot(RegistryApi& registry, std::string_view subkey,
                                const std::filesystem::path& winePrefix,
                                const std::filesystem::path& homeProfile);
// The same on the user's own registry (WineRegistry) with GetSpecialFolder(40) as the
// home profile.
std::filesystem::path StoreRoot(std::string_view subkey);
// Windows Live Mail's store, else Windows Mail's; an empty path when neither is found.
std::filesystem::path firstStoreRoot();

// A Windows path ("C:\users\ann\x", "%USERPROFILE%\x" already replaced) as a path on this
// system: backslashes become "/"; a drive letter resolves through the Wine prefix, and
// each folder below it is matched without regard to letter case when the exact name is
// missing. Empty when a drive letter cannot be resolved.
std::filesystem::path mapWindowsPath(std::string_view windowsPath,
                                     const std::filesystem::path& winePrefix);

}  // namespace mailvane::system
