#pragma once
// The registry of a Wine prefix: HKEY_CURRENT_USER is the text hive user.reg,
// HKEY_LOCAL_MACHINE the system.reg beside it. A missing hive file holds no keys. Every
// change is written back at once through a temporary file and a rename, so a crash never
// leaves a broken hive. Other machines cannot be reached.

#include "system/RegistryApi.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace mailvane::system {

class HiveFile;

class WineRegistry : public RegistryApi {
 public:
  // The user hive from $MAILVANE_REGISTRY, else $WINEPREFIX/user.reg, else ~/.wine/user.reg.
  WineRegistry();
  explicit WineRegistry(std::filesystem::path userHive);
  ~WineRegistry() override;
  WineRegistry(const WineRegistry&) = delete;
  WineRegistry& operator=(const WineRegistry&) = delete;

  static std::filesystem::path defaultUserHive();
  const std::filesystem::path& userHive() const;
  // The Wine prefix folder: the folder that holds the user hive.
  std::filesystem::path winePrefix() const;

  RegStatus RegOpenKeyExA(RegHandle key, std::string_view subKey, std::uint32_t options,
                          std::uint32_t samDesired, RegHandle* result) override;
  RegStatus RegQueryValueExA(RegHandle key, std::string_view valueName, std::uint32_t* type,
                             std::uint8_t* data, std::uint32_t* dataSize) override;
  RegStatus RegSetValueExA(RegHandle key, std::string_view valueName, std::uint32_t type,
                           const std::uint8_t* data, std::uint32_t dataSize) override;
  RegStatus RegCreateKeyExA(RegHandle key, std::string_view subKey, std::uint32_t options,
                            std::uint32_t samDesired, RegHandle* result,
                            std::uint32_t* disposition) override;
  RegStatus RegDeleteKeyA(RegHandle key, std::string_view subKey) override;
  RegStatus RegDeleteValueA(RegHandle key, std::string_view valueName) override;
  RegStatus RegEnumKeyExA(RegHandle key, std::uint32_t index, char* name,
                          std::uint32_t* nameSize) override;
  RegStatus RegEnumValueA(RegHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                          std::uint32_t* type, std::uint8_t* data,
                          std::uint32_t* dataSize) override;
  RegStatus RegConnectRegistryA(std::string_view machineName, RegHandle key,
                                RegHandle* result) override;
  RegStatus RegCloseKey(RegHandle key) override;
  std::uint32_t ExpandEnvironmentStringsA(std::string_view source, char* destination,
                                          std::uint32_t size) override;

 private:
  struct OpenKey {
    HiveFile* hive;
    std::vector<std::u16string> path;
    std::uint32_t access;
  };
  const OpenKey* findKey(RegHandle key, OpenKey& rootScratch);
  RegHandle remember(OpenKey key);

  std::unique_ptr<HiveFile> user_;
  std::unique_ptr<HiveFile> machine_;
  std::map<RegHandle, OpenKey> open_;
  RegHandle nextHandle_ = 0x100;
};

}  // namespace mailvane::system
