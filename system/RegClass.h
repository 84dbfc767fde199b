#pragma once
// Reads (and writes) values of one registry key: set the root, KeyRoot and Subkey once,
// then read values by name. No handle stays open between calls.

#include "system/RegValue.h"
#include "system/RegistryApi.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mailvane::system {

class RegClass {
 public:
  explicit RegClass(RegistryApi& api) : api_(api) {}

  // The working key is KeyRoot\Subkey below hkey.
  RegHandle hkey = kHkeyCurrentUser;
  std::string KeyRoot;
  std::string Subkey;

  // True when the working key can be opened for reading.
  bool KeyExists() const;
  // Creates KeyRoot\name (name defaults to Subkey): "0" on success, "" on failure.
  std::string CreateKey(std::optional<std::string_view> name = std::nullopt);
  // Deletes KeyRoot\name; the Windows status (0 = deleted).
  std::int32_t DeleteKey(std::string_view name);
  // Deletes a value of the working key; the Windows status (0 = deleted).
  std::int32_t DeleteValue(std::string_view valueName);

  // Names of the subkeys of keyName below root (an empty keyName: root itself).
  std::vector<std::string> EnumRegistryKeys(RegHandle root, std::string_view keyName) const;
  // Every value of keyName below root, converted for display: texts (expand strings
  // expanded), REG_BINARY as "0A FF 00", REG_MULTI_SZ as "a,b", REG_DWORD as the number.
  std::vector<std::pair<std::string, RegValue>> EnumRegistryValues(RegHandle root,
                                                                   std::string_view keyName) const;

  // One value of the working key, or defaultValue when there is none. Expand strings are
  // returned unexpanded.
  RegValue GetRegistryValue(std::string_view valueName, const RegValue& defaultValue = {}) const;
  // Writes one value of the given type number (kRegSz, kRegExpandSz, kRegBinary, kRegDword,
  // kRegMultiSz; a multi-string's parts are separated by NULs). True when written.
  bool SetRegistryValue(std::string_view valueName, const RegValue& value, std::uint32_t type);

  // As GetRegistryValue and SetRegistryValue on another machine, at keyPath when given
  // (else KeyRoot\Subkey). A failed connection reads as the text "Error!".
  RegValue ReadRemoteRegistryValue(std::string_view machineName, RegHandle root,
                                   std::string_view valueName,
                                   std::optional<std::string_view> keyPath = std::nullopt) const;
  bool WriteRemoteRegistryValue(std::string_view machineName, RegHandle root,
                                std::string_view valueName, const RegValue& value,
                                std::uint32_t type,
                                std::optional<std::string_view> keyPath = std::nullopt);

  // The text up to (not including) its first NUL; unchanged when it has none.
  static std::string TrimNull(std::string_view text);

 private:
  std::string workingKey() const;
  std::string keyBelowRoot(std::string_view name) const;
  RegValue readValue(RegHandle root, std::string_view path, std::uint32_t access,
                     std::string_view valueName, const RegValue& defaultValue) const;
  bool writeValue(RegHandle root, std::string_view path, std::uint32_t access,
                  std::string_view valueName, const RegValue& value, std::uint32_t type);
  RegValue displayValue(std::uint32_t type, const std::uint8_t* data, std::uint32_t size) const;
  std::string expandForDisplay(const std::string& text) const;

  RegistryApi& api_;
};

}  // namespace mailvane::system
