#include "system/StoreRoot.h"

#include "system/CodePage.h"
#include "system/RegClass.h"
#include "system/SpecialFolders.h"
#include "system/WineRegistry.h"

#include <algorithm>
#include <system_error>

namespace mailvane::system {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProfileReference = "%USERPROFILE%";
constexpr std::string_view kProfileList = "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr std::string_view kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
  size_t pos = 0;
  while ((pos = text.find(from, pos)) != std::string::npos) {
    text.replace(pos, from.size(), to);
    pos += to.size();
  }
  return text;
}

bool isDrivePath(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
         (path.size() == 2 || path[2] == '\\' || path[2] == '/');
}

std::string readText(RegistryApi& registry, RegHandle root, std::string_view keyRoot,
                     std::string_view subkey, std::string_view valueName) {
  RegClass reg(registry);
  reg.hkey = root;
  reg.KeyRoot = std::string(keyRoot);
  reg.Subkey = std::string(subkey);
  return toUtf8(reg.GetRegistryValue(valueName).toText());
}

// The profile folder a Wine prefix records for its user, in Windows form ("C:\users\ann").
std::string wineProfile(RegistryApi& registry) {
  RegClass reg(registry);
  for (const auto& sid : reg.EnumRegistryKeys(kHkeyLocalMachine, kProfileList)) {
    if (sid.rfind("S-1-5-21-", 0) != 0) continue;
    std::string path = readText(registry, kHkeyLocalMachine, kProfileList, sid, "ProfileImagePath");
    if (isDrivePath(path)) return path;
  }
  // Without a profile list, the local application data folder sits two levels below it.
  std::string local = readText(registry, kHkeyCurrentUser, kExplorer, "Shell Folders", "Local AppData");
  for (int level = 0; level < 2; ++level) {
    const size_t cut = local.rfind('\\');
    if (cut == std::string::npos || cut < 3) return {};
    local.resize(cut);
  }
  return isDrivePath(local) ? local : std::string();
}

// The entry of folder named name without regard to letter case, when the exact one is missing.
fs::path childMatchingCase(const fs::path& folder, const std::string& name) {
  std::error_code ec;
  if (fs::exists(folder / name, ec)) return folder / name;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (equalsNoCase(it->path().filename().string(), name)) return it->path();
  return folder / name;
}

fs::path driveFolder(char letter, const fs::path& winePrefix) {
  const char lower = static_cast<char>(letter | 0x20);
  std::error_code ec;
  for (const fs::path& candidate : {winePrefix / "dosdevices" / (std::string(1, lower) + ":"),
                                    winePrefix / ("drive_" + std::string(1, lower))}) {
    if (fs::is_directory(candidate, ec)) return fs::canonical(candidate, ec);
  }
  return {};
}

}  // namespace

fs::path mapWindowsPath(std::string_view windowsPath, const fs::path& winePrefix) {
  std::string path(windowsPath);
  std::replace(path.begin(), path.end(), '\\', '/');
  if (!isDrivePath(path)) return path;
  fs::path result = driveFolder(path[0], winePrefix);
  if (result.empty()) return {};
  size_t start = 2;
  while (start < path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) result = childMatchingCase(result, path.substr(start, end - start));
    start = end + 1;
  }
  return result;
}

std::string profileFolder(RegistryApi& registry, const fs::path& winePrefix,
                          const fs::path& homeProfile) {
  // Under Wine the profile is a folder of the prefix; without one, the home folder stands in.
  std::string profile = wineProfile(registry);
  std::error_code ec;
  if (profile.empty() || !fs::is_directory(mapWindowsPath(profile, winePrefix), ec)) {
    profile = homeProfile.string();
    while (!profile.empty() && profile.back() == '/') profile.pop_back();
  }
  while (!profile.empty() && profile.back() == '\\') profile.pop_back();
  return profile;
}

fs::path StoreRoot(RegistryApi& registry, std::string_view subkey, const fs::path& winePrefix,
                   const fs::path& homeProfile) {
  const std::string stored = readText(registry, kHkeyCurrentUser, "Software\\Microsoft", subkey, "Store Root");
  if (stored.find(kProfileReference) == std::string::npos) return {};
  const std::string reference = std::string(kProfileReference) + "\\";
  return mapWindowsPath(replaceAll(stored, reference, profileFolder(registry, winePrefix, homeProfile) + "\\"),
                        winePrefix);
}

fs::path StoreRoot(std::string_view subkey) {
  WineRegistry registry;
  return StoreRoot(registry, subkey, registry.winePrefix(), GetSpecialFolder(kCsidlProfile));
}

fs::path firstStoreRoot() {
  WineRegistry registry;
  for (auto subkey : {kWindowsLiveMail, kWindowsMail}) {
    auto root = StoreRoot(registry, subkey, registry.winePrefix(), GetSpecialFolder(kCsidlProfile));
    if (!root.empty()) return root;
  }
  return {};
}

}  // namespace mailvane::system
