#include "windows/FrmListen/ClientStore.h"

#include <system_error>

#include "system/CodePage.h"
#include "system/RegClass.h"
#include "system/StoreRoot.h"
#include "system/WineRegistry.h"

namespace mailvane {

std::filesystem::path ClientStore::find(std::string_view client) {
  std::filesystem::path root = system::StoreRoot(client);
  std::error_code ec;
  if (!root.empty() && !std::filesystem::is_directory(root, ec)) root.clear();
  return root;
}

std::filesystem::path ClientStore::storedMailRoot() {
  // A root below the profile that this system lacks is still named as the profile's.
  if (std::filesystem::path root = system::StoreRoot(system::kWindowsMail); !root.empty())
    return root;
  system::WineRegistry registry;
  system::RegClass reg(registry);
  reg.hkey = system::kHkeyCurrentUser;
  reg.KeyRoot = "Software\\Microsoft";
  reg.Subkey = std::string(system::kWindowsMail);
  const std::string stored = system::toUtf8(reg.GetRegistryValue("Store Root").toText());
  if (stored.empty()) return {};
  return system::mapWindowsPath(stored, registry.winePrefix());
}

}  // namespace mailvane
