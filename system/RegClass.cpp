#include "system/RegClass.h"

#include <algorithm>
#include <cstdio>

namespace mailvane::system {
namespace {

// Sizes the reads start with; larger data is read again with the size the registry asks for.
constexpr std::uint32_t kFirstReadSize = 1024;
constexpr std::uint32_t kEnumDataSize = 4096;
constexpr std::uint32_t kEnumNameSize = 260;
// The longest value name the registry allows, plus its NUL.
constexpr std::uint32_t kLongestValueName = 16384;

std::string textOf(const std::uint8_t* data, std::uint32_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// Stored texts end in NULs that are not part of the text; a text stored without them
// keeps every character.
std::string withoutTerminators(std::string text, size_t count) {
  for (size_t i = 0; i < count && !text.empty() && text.back() == '\0'; ++i) text.pop_back();
  return text;
}

std::int32_t littleEndian32(const std::uint8_t* data, std::uint32_t size) {
  std::uint32_t n = 0;
  for (std::uint32_t i = 0; i < 4 && i < size; ++i) n |= static_cast<std::uint32_t>(data[i]) << (8 * i);
  return static_cast<std::int32_t>(n);
}

std::string hexBytes(const std::uint8_t* data, std::uint32_t size) {
  std::string out;
  char buf[4];
  for (std::uint32_t i = 0; i < size; ++i) {
    if (i) out += ' ';
    std::snprintf(buf, sizeof buf, "%02X", data[i]);
    out += buf;
  }
  return out;
}

// The stored form of a value; empty for types the program does not read.
RegValue storedValue(std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
  switch (type) {
    case kRegSz:
    case kRegExpandSz:
      if (size == 0) return {};
      return RegValue(withoutTerminators(textOf(data, size), 1));
    case kRegBinary:
      return RegValue(RegValue::Bytes(data, data + size));
    case kRegDword:
      return RegValue(littleEndian32(data, size));
    case kRegMultiSz: {
      std::string text = withoutTerminators(textOf(data, size), 2);
      if (text.empty() || text.front() == '\0') return {};
      return RegValue(std::move(text));
    }
    default:
      return {};
  }
}

std::vector<std::uint8_t> dataToWrite(const RegValue& value, std::uint32_t type) {
  switch (type) {
    case kRegSz:
    case kRegExpandSz: {
      // The terminating NUL is stored with the text: readers that take all but the last
      // stored character as the text would otherwise lose its last letter.
      std::string text = value.toText() + '\0';
      return {text.begin(), text.end()};
    }
    case kRegMultiSz: {
      std::string text = value.toText() + '\0' + '\0';
      return {text.begin(), text.end()};
    }
    case kRegBinary:
      return value.toBytes();
    default:
      return RegValue(value.toInteger()).toBytes();
  }
}

bool isWritableType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegBinary || type == kRegDword ||
         type == kRegMultiSz;
}

}  // namespace

std::string RegClass::workingKey() const { return KeyRoot + "\\" + Subkey; }

std::string RegClass::keyBelowRoot(std::string_view name) const {
  return KeyRoot + "\\" + std::string(name);
}

bool RegClass::KeyExists() const {
  RegHandle key = 0;
  if (api_.RegOpenKeyExA(hkey, workingKey(), 0, kKeyRead, &key) != kErrorSuccess) return false;
  api_.RegCloseKey(key);
  return true;
}

std::string RegClass::CreateKey(std::optional<std::string_view> name) {
  RegHandle key = 0;
  std::uint32_t disposition = 0;
  const RegStatus status = api_.RegCreateKeyExA(hkey, keyBelowRoot(name.value_or(Subkey)),
                                                kRegOptionNonVolatile, kKeyAllAccess, &key,
                                                &disposition);
  if (status != kErrorSuccess) return {};
  api_.RegCloseKey(key);
  return "0";
}

std::int32_t RegClass::DeleteKey(std::string_view name) {
  // The status is passed on: a key that could not be deleted must not look deleted.
  return api_.RegDeleteKeyA(hkey, keyBelowRoot(name));
}

std::int32_t RegClass::DeleteValue(std::string_view valueName) {
  RegHandle key = 0;
  const RegStatus opened = api_.RegOpenKeyExA(hkey, workingKey(), 0, kKeyAllAccess, &key);
  if (opened != kErrorSuccess) return opened;
  const RegStatus status = api_.RegDeleteValueA(key, valueName);
  api_.RegCloseKey(key);
  return status;
}

std::vector<std::string> RegClass::EnumRegistryKeys(RegHandle root, std::string_view keyName) const {
  std::vector<std::string> names;
  RegHandle key = 0;
  if (api_.RegOpenKeyExA(root, keyName, 0, kKeyRead, &key) != kErrorSuccess) return names;
  std::string buffer(kEnumNameSize, '\0');
  for (std::uint32_t index = 0;; ++index) {
    std::uint32_t size = kEnumNameSize;
    if (api_.RegEnumKeyExA(key, index, buffer.data(), &size) != kErrorSuccess) break;
    names.push_back(TrimNull(std::string_view(buffer.data(), std::min(size, kEnumNameSize))));
  }
  api_.RegCloseKey(key);
  return names;
}

std::vector<std::pair<std::string, RegValue>> RegClass::EnumRegistryValues(
    RegHandle root, std::string_view keyName) const {
  std::vector<std::pair<std::string, RegValue>> values;
  RegHandle key = 0;
  if (api_.RegOpenKeyExA(root, keyName, 0, kKeyRead, &key) != kErrorSuccess) return values;
  for (std::uint32_t index = 0;; ++index) {
    std::string name(kEnumNameSize, '\0');
    std::vector<std::uint8_t> data(kEnumDataSize);
    std::uint32_t nameSize = kEnumNameSize, dataSize = kEnumDataSize, type = 0;
    RegStatus status = api_.RegEnumValueA(key, index, name.data(), &nameSize, &type, data.data(), &dataSize);
    if (status == kErrorMoreData) {
      // A long name must not end the listing either, so both buffers grow.
      name.assign(kLongestValueName, '\0');
      data.resize(std::max<size_t>(dataSize, data.size()));
      nameSize = kLongestValueName;
      dataSize = static_cast<std::uint32_t>(data.size());
      status = api_.RegEnumValueA(key, index, name.data(), &nameSize, &type, data.data(), &dataSize);
    }
    if (status != kErrorSuccess) break;
    name.resize(std::min<size_t>(nameSize, name.size()));
    values.emplace_back(std::move(name), displayValue(type, data.data(), std::min<std::uint32_t>(dataSize, static_cast<std::uint32_t>(data.size()))));
  }
  api_.RegCloseKey(key);
  return values;
}

RegValue RegClass::displayValue(std::uint32_t type, const std::uint8_t* data, std::uint32_t size) const {
  switch (type) {
    case kRegSz:
      return RegValue(withoutTerminators(textOf(data, size), 1));
    case kRegExpandSz:
      return RegValue(TrimNull(expandForDisplay(withoutTerminators(textOf(data, size), 1))));
    case kRegBinary:
      return RegValue(hexBytes(data, size));
    case kRegDword:
      return RegValue(littleEndian32(data, size));
    case kRegMultiSz: {
      std::string text = withoutTerminators(textOf(data, size), 2);
      std::replace(text.begin(), text.end(), '\0', ',');
      return RegValue(std::move(text));
    }
    default:
      return {};
  }
}

std::string RegClass::expandForDisplay(const std::string& text) const {
  // Asked for the size first, so an expansion longer than the stored text is applied too.
  const std::uint32_t needed = api_.ExpandEnvironmentStringsA(text, nullptr, 0);
  if (needed == 0) return text;
  std::string buffer(needed, '\0');
  if (api_.ExpandEnvironmentStringsA(text, buffer.data(), needed) != needed) return text;
  buffer.pop_back();
  return buffer;
}

RegValue RegClass::GetRegistryValue(std::string_view valueName, const RegValue& defaultValue) const {
  return readValue(hkey, workingKey(), kKeyRead, valueName, defaultValue);
}

RegValue RegClass::readValue(RegHandle root, std::string_view path, std::uint32_t access,
                             std::string_view valueName, const RegValue& defaultValue) const {
  RegHandle key = 0;
  if (api_.RegOpenKeyExA(root, path, 0, access, &key) != kErrorSuccess) return defaultValue;
  std::vector<std::uint8_t> buffer(kFirstReadSize);
  std::uint32_t size = kFirstReadSize, type = 0;
  RegStatus status = api_.RegQueryValueExA(key, valueName, &type, buffer.data(), &size);
  if (status == kErrorMoreData) {
    buffer.assign(std::max<std::uint32_t>(size, 1), 0);
    size = static_cast<std::uint32_t>(buffer.size());
    status = api_.RegQueryValueExA(key, valueName, &type, buffer.data(), &size);
  }
  api_.RegCloseKey(key);
  // Only a successful read has data to convert; anything else leaves the default.
  if (status != kErrorSuccess) return defaultValue;
  RegValue value = storedValue(type, buffer.data(), std::min<std::uint32_t>(size, static_cast<std::uint32_t>(buffer.size())));
  return value.isEmpty() ? defaultValue : value;
}

bool RegClass::SetRegistryValue(std::string_view valueName, const RegValue& value, std::uint32_t type) {
  return writeValue(hkey, workingKey(), kKeyWrite, valueName, value, type);
}

bool RegClass::writeValue(RegHandle root, std::string_view path, std::uint32_t access,
                          std::string_view valueName, const RegValue& value, std::uint32_t type) {
  // A type the class cannot write is a failure, not a silent success.
  if (!isWritableType(type)) return false;
  RegHandle key = 0;
  if (api_.RegOpenKeyExA(root, path, 0, access, &key) != kErrorSuccess) return false;
  const auto data = dataToWrite(value, type);
  const RegStatus status = api_.RegSetValueExA(key, valueName, type, data.data(),
                                               static_cast<std::uint32_t>(data.size()));
  api_.RegCloseKey(key);
  return status == kErrorSuccess;
}

RegValue RegClass::ReadRemoteRegistryValue(std::string_view machineName, RegHandle root,
                                           std::string_view valueName,
                                           std::optional<std::string_view> keyPath) const {
  RegHandle remote = 0;
  if (api_.RegConnectRegistryA(machineName, root, &remote) != kErrorSuccess) return RegValue("Error!");
  const std::string path = keyPath ? std::string(*keyPath) : workingKey();
  RegValue value = readValue(remote, path, kKeyAllAccess, valueName, {});
  api_.RegCloseKey(remote);
  return value;
}

bool RegClass::WriteRemoteRegistryValue(std::string_view machineName, RegHandle root,
                                        std::string_view valueName, const RegValue& value,
                                        std::uint32_t type, std::optional<std::string_view> keyPath) {
  RegHandle remote = 0;
  if (api_.RegConnectRegistryA(machineName, root, &remote) != kErrorSuccess) return false;
  const std::string path = keyPath ? std::string(*keyPath) : workingKey();
  const bool written = writeValue(remote, path, kKeyAllAccess, valueName, value, type);
  api_.RegCloseKey(remote);
  return written;
}

std::string RegClass::TrimNull(std::string_view text) {
  return std::string(text.substr(0, text.find('\0')));
}

}  // namespace mailvane::system
