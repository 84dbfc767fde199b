#pragma once
// Where the user's message store is, as a folder on this system. Looked for in this
// order: the environment variable MAILVANE_STORE, the "Store" setting (which the caller
// reads, so this library needs no settings store), the Outlook Express store of the
// default identity, then Windows Live Mail's and Windows Mail's "Store Root". Registry
// values hold Windows paths; they are mapped through the Wine prefix of the registry.

#include <filesystem>
#include <string>
#include <string_view>

#include "system/RegistryApi.h"

namespace mailvane::store {

inline constexpr std::string_view kStoreEnvironment = "MAILVANE_STORE";
inline constexpr std::string_view kStoreSetting = "Store";

struct StoreLocation {
  std::filesystem::path root;  // empty when no store was found
  std::string foundBy;         // where it came from, for messages to the user
};

struct StoreLookup {
  std::string environmentValue;  // of MAILVANE_STORE
  std::string settingValue;      // of "Store"
  system::RegistryApi* registry = nullptr;
  std::filesystem::path winePrefix;
  // Stands in for %USERPROFILE% when the prefix records no profile folder it holds.
  std::filesystem::path homeProfile;
};

// The environment and the setting are taken as given; a registry value counts only when
// the folder it names exists.
StoreLocation findStore(const StoreLookup& lookup);
// The same with this process's environment and the user's Wine registry.
StoreLocation findStore(std::string_view settingValue);

// The "Store Root" of the default Outlook Express identity as a path on this system, with
// "%UserProfile%" standing for system::profileFolder(); empty when the registry holds none.
std::filesystem::path outlookExpressStoreRoot(system::RegistryApi& registry,
                                              const std::filesystem::path& winePrefix,
                                              const std::filesystem::path& homeProfile);

}  // namespace mailvane::store
