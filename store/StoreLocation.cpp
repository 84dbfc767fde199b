#include "store/StoreLocation.h"

#include <cstdlib>
#include <system_error>

#include "system/CodePage.h"
#include "system/RegClass.h"
#include "system/SpecialFolders.h"
#include "system/StoreRoot.h"
#include "system/WineRegistry.h"

namespace mailvane::store {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProfileReference = "%userprofile%";

std::string readValue(system::RegistryApi& registry, std::string keyRoot, std::string subkey,
                      std::string_view name) {
  system::RegClass reg(registry);
  reg.KeyRoot = std::move(keyRoot);
  reg.Subkey = std::move(subkey);
  return reg.GetRegistryValue(name).toText();
}

// "%UserProfile%\..." (in any letter case) with the profile folder, then any other
// environment references expanded the way the registry expands them.
std::string expandStoredPath(system::RegistryApi& registry, std::string path,
                             const fs::path& winePrefix, const fs::path& homeProfile) {
  const size_t at = system::findNoCase(path, kProfileReference);
  if (at != std::string::npos) {
    path.replace(at, kProfileReference.size(),
                 system::fromUtf8(system::profileFolder(registry, winePrefix, homeProfile)));
  }
  const uint32_t needed = registry.ExpandEnvironmentStringsA(path, nullptr, 0);
  std::string expanded(needed, '\0');
  if (needed == 0 || registry.ExpandEnvironmentStringsA(path, expanded.data(), needed) != needed) {
    return path;
  }
  expanded.resize(needed - 1);
  return expanded;
}

bool isFolder(const fs::path& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(path, ec);
}

}  // namespace

fs::path outlookExpressStoreRoot(system::RegistryApi& registry, const fs::path& winePrefix,
                                 const fs::path& homeProfile) {
  const std::string identity = readValue(registry, "Identities", "", "Default User ID");
  if (identity.empty()) return {};
  const std::string stored =
      readValue(registry, "Identities\\" + identity + "\\Software\\Microsoft\\Outlook Express",
                "5.0", "Store Root");
  if (stored.empty()) return {};
  return system::mapWindowsPath(
      system::toUtf8(expandStoredPath(registry, stored, winePrefix, homeProfile)), winePrefix);
}

StoreLocation findStore(const StoreLookup& lookup) {
  if (!lookup.environmentValue.empty()) {
    return {system::mapWindowsPath(lookup.environmentValue, lookup.winePrefix),
            std::string(kStoreEnvironment)};
  }
  if (!lookup.settingValue.empty()) {
    return {system::mapWindowsPath(lookup.settingValue, lookup.winePrefix),
            "the setting \"" + std::string(kStoreSetting) + "\""};
  }
  if (!lookup.registry) return {};
  system::RegistryApi& registry = *lookup.registry;
  if (fs::path root = outlookExpressStoreRoot(registry, lookup.winePrefix, lookup.homeProfile);
      isFolder(root)) {
    return {root, "the Outlook Express identity in the registry"};
  }
  for (auto client : {system::kWindowsLiveMail, system::kWindowsMail}) {
    fs::path root = system::StoreRoot(registry, client, lookup.winePrefix, lookup.homeProfile);
    if (isFolder(root)) return {root, "the " + std::string(client) + " \"Store Root\""};
  }
  return {};
}

StoreLocation findStore(std::string_view settingValue) {
  system::WineRegistry registry;
  StoreLookup lookup;
  if (const char* value = std::getenv(std::string(kStoreEnvironment).c_str())) {
    lookup.environmentValue = value;
  }
  lookup.settingValue = std::string(settingValue);
  lookup.registry = &registry;
  lookup.winePrefix = registry.winePrefix();
  lookup.homeProfile = system::GetSpecialFolder(system::kCsidlProfile);
  return findStore(lookup);
}

}  // namespace mailvane::store
