#pragma once
// Registry operations named and numbered as the Windows registry functions ("A" entry
// points: names and text data in the active code page). RegClass is written against this
// interface; WineRegistry implements it over Wine's text hives.

#include <cstdint>
#include <string_view>

namespace mailvane::system {

using RegHandle = std::uint32_t;
using RegStatus = std::int32_t;

// Predefined root keys.
inline constexpr RegHandle kHkeyClassesRoot = 0x80000000;
inline constexpr RegHandle kHkeyCurrentUser = 0x80000001;
inline constexpr RegHandle kHkeyLocalMachine = 0x80000002;
inline constexpr RegHandle kHkeyUsers = 0x80000003;

// Status numbers as Windows returns them.
inline constexpr RegStatus kErrorSuccess = 0;
inline constexpr RegStatus kErrorFileNotFound = 2;
inline constexpr RegStatus kErrorPathNotFound = 3;
inline constexpr RegStatus kErrorAccessDenied = 5;
inline constexpr RegStatus kErrorInvalidHandle = 6;
inline constexpr RegStatus kErrorWriteFault = 29;
inline constexpr RegStatus kErrorBadNetpath = 53;
inline constexpr RegStatus kErrorInvalidParameter = 87;
inline constexpr RegStatus kErrorMoreData = 234;
inline constexpr RegStatus kErrorNoMoreItems = 259;
inline constexpr RegStatus kErrorBadDb = 1009;

// Value types.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

// Access masks.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

// RegCreateKeyExA options and dispositions.
inline constexpr std::uint32_t kRegOptionNonVolatile = 0;
inline constexpr std::uint32_t kRegCreatedNewKey = 1;
inline constexpr std::uint32_t kRegOpenedExistingKey = 2;

// Buffer sizes follow the Windows rules: a size argument holds the buffer's size on the
// way in and the data's size (names: without the NUL) on the way out; a buffer that is
// too small gives kErrorMoreData with the size needed. Names and texts are in the active
// code page; a text value's data carries the terminating NUL it was stored with.
class RegistryApi {
 public:
  virtual ~RegistryApi() = default;

  virtual RegStatus RegOpenKeyExA(RegHandle key, std::string_view subKey, std::uint32_t options,
                                  std::uint32_t samDesired, RegHandle* result) = 0;
  // data may be null to ask for the type and size only.
  virtual RegStatus RegQueryValueExA(RegHandle key, std::string_view valueName,
                                     std::uint32_t* type, std::uint8_t* data,
                                     std::uint32_t* dataSize) = 0;
  virtual RegStatus RegSetValueExA(RegHandle key, std::string_view valueName, std::uint32_t type,
                                   const std::uint8_t* data, std::uint32_t dataSize) = 0;
  // Creates the key and any missing keys above it, or opens it when it exists;
  // disposition (may be null) tells which.
  virtual RegStatus RegCreateKeyExA(RegHandle key, std::string_view subKey, std::uint32_t options,
                                    std::uint32_t samDesired, RegHandle* result,
                                    std::uint32_t* disposition) = 0;
  // Fails with kErrorAccessDenied when the key has subkeys.
  virtual RegStatus RegDeleteKeyA(RegHandle key, std::string_view subKey) = 0;
  virtual RegStatus RegDeleteValueA(RegHandle key, std::string_view valueName) = 0;
  // nameSize: characters, including room for the NUL.
  virtual RegStatus RegEnumKeyExA(RegHandle key, std::uint32_t index, char* name,
                                  std::uint32_t* nameSize) = 0;
  virtual RegStatus RegEnumValueA(RegHandle key, std::uint32_t index, char* name,
                                  std::uint32_t* nameSize, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) = 0;
  virtual RegStatus RegConnectRegistryA(std::string_view machineName, RegHandle key,
                                        RegHandle* result) = 0;
  virtual RegStatus RegCloseKey(RegHandle key) = 0;
  // Replaces %NAME% references by the environment's values. Returns the characters needed
  // including the NUL; writes only when size is large enough. 0 on failure.
  virtual std::uint32_t ExpandEnvironmentStringsA(std::string_view source, char* destination,
                                                  std::uint32_t size) = 0;
};

}  // namespace mailvane::system
