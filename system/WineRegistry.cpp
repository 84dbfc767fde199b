#include "system/WineRegistry.h"

#include "system/CodePage.h"
#include "system/HiveFile.h"
#include "system/SpecialFolders.h"
#include "system/Utf16.h"

#include <cstdlib>
#include <cstring>
#include <optional>

namespace mailvane::system {
namespace {

HivePath parsePath(std::string_view subKey) {
  const std::u16string text = codePageToUtf16(subKey);
  HivePath path;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u'\\', start);
    if (end == std::u16string::npos) end = text.size();
    if (end > start) path.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return path;
}

bool isTextType(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

// Registry bytes as the "A" functions hand them out: texts in the active code page.
std::string toAnsiData(const HiveValue& v) {
  if (!isTextType(v.type)) return std::string(v.data.begin(), v.data.end());
  std::u16string units;
  for (size_t i = 0; i + 1 < v.data.size(); i += 2)
    units.push_back(static_cast<char16_t>(v.data[i] | (v.data[i + 1] << 8)));
  return utf16ToCodePage(units);
}

std::vector<std::uint8_t> fromAnsiData(std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
  if (size == 0 || data == nullptr) return {};
  if (!isTextType(type)) return {data, data + size};
  std::vector<std::uint8_t> bytes;
  for (char16_t u : codePageToUtf16(std::string_view(reinterpret_cast<const char*>(data), size))) {
    bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return bytes;
}

// Copies a name with its NUL when the buffer (size in characters) has room.
RegStatus copyName(const std::string& name, char* buffer, std::uint32_t* size) {
  if (!size) return kErrorInvalidParameter;
  if (!buffer || name.size() + 1 > *size) return kErrorMoreData;
  std::memcpy(buffer, name.data(), name.size());
  buffer[name.size()] = '\0';
  *size = static_cast<std::uint32_t>(name.size());
  return kErrorSuccess;
}

// The Windows rule for data buffers: sizes only when data is null, kErrorMoreData with the
// size needed when the buffer is too small.
RegStatus copyData(const std::string& bytes, std::uint8_t* data, std::uint32_t* size) {
  const auto needed = static_cast<std::uint32_t>(bytes.size());
  if (!size) return data ? kErrorInvalidParameter : kErrorSuccess;
  if (data && *size < needed) {
    *size = needed;
    return kErrorMoreData;
  }
  if (data && needed) std::memcpy(data, bytes.data(), needed);
  *size = needed;
  return kErrorSuccess;
}

std::optional<std::string> environmentValue(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  if (!v) {
    // Windows looks names up without regard to case; most are upper case here.
    std::string upper = name;
    for (auto& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    v = std::getenv(upper.c_str());
  }
  if (!v) return std::nullopt;
  return fromUtf8(v);
}

std::string expandEnvironment(std::string_view source) {
  std::string out;
  size_t i = 0;
  while (i < source.size()) {
    const size_t open = source.find('%', i);
    if (open == std::string_view::npos) break;
    const size_t close = source.find('%', open + 1);
    if (close == std::string_view::npos) break;
    out.append(source.substr(i, open - i));
    const std::string name(source.substr(open + 1, close - open - 1));
    const auto value = name.empty() ? std::nullopt : environmentValue(name);
    if (value) {
      out += *value;
      i = close + 1;
    } else {
      // An unknown reference stays as written; its closing "%" may open the next one.
      out.append(source.substr(open, close - open));
      i = close;
    }
  }
  out.append(source.substr(std::min(i, source.size())));
  return out;
}

}  // namespace

WineRegistry::WineRegistry() : WineRegistry(defaultUserHive()) {}

WineRegistry::WineRegistry(std::filesystem::path userHive)
    : user_(std::make_unique<HiveFile>(userHive)),
      machine_(std::make_unique<HiveFile>(userHive.parent_path() / "system.reg")) {}

WineRegistry::~WineRegistry() = default;

std::filesystem::path WineRegistry::defaultUserHive() {
  if (const char* reg = std::getenv("MAILVANE_REGISTRY"); reg && *reg) return reg;
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix)
    return std::filesystem::path(prefix) / "user.reg";
  return std::filesystem::path(GetSpecialFolder(kCsidlProfile)) / ".wine" / "user.reg";
}

const std::filesystem::path& WineRegistry::userHive() const { return user_->path(); }

std::filesystem::path WineRegistry::winePrefix() const { return user_->path().parent_path(); }

const WineRegistry::OpenKey* WineRegistry::findKey(RegHandle key, OpenKey& rootScratch) {
  if (key == kHkeyCurrentUser || key == kHkeyLocalMachine) {
    rootScratch = {key == kHkeyCurrentUser ? user_.get() : machine_.get(), {}, kKeyAllAccess};
    return &rootScratch;
  }
  auto it = open_.find(key);
  return it == open_.end() ? nullptr : &it->second;
}

RegHandle WineRegistry::remember(OpenKey key) {
  const RegHandle handle = nextHandle_++;
  open_.emplace(handle, std::move(key));
  return handle;
}

RegStatus WineRegistry::RegOpenKeyExA(RegHandle key, std::string_view subKey, std::uint32_t,
                                      std::uint32_t samDesired, RegHandle* result) {
  OpenKey scratch;
  const OpenKey* base = findKey(key, scratch);
  if (!result) return kErrorInvalidParameter;
  if (!base) return key >= kHkeyClassesRoot ? kErrorFileNotFound : kErrorInvalidHandle;
  HivePath path = base->path;
  for (auto& name : parsePath(subKey)) path.push_back(std::move(name));
  if (!base->hive->hive().keyExists(path)) return kErrorFileNotFound;
  *result = remember({base->hive, std::move(path), samDesired});
  return kErrorSuccess;
}

RegStatus WineRegistry::RegQueryValueExA(RegHandle key, std::string_view valueName,
                                         std::uint32_t* type, std::uint8_t* data,
                                         std::uint32_t* dataSize) {
  OpenKey scratch;
  const OpenKey* k = findKey(key, scratch);
  if (!k) return kErrorInvalidHandle;
  if (!(k->access & kKeyQueryValue)) return kErrorAccessDenied;
  const HiveValue* v = k->hive->hive().findValue(k->path, codePageToUtf16(valueName));
  if (!v) return kErrorFileNotFound;
  if (type) *type = v->type;
  return copyData(toAnsiData(*v), data, dataSize);
}

RegStatus WineRegistry::RegSetValueExA(RegHandle key, std::string_view valueName,
                                       std::uint32_t type, const std::uint8_t* data,
                                       std::uint32_t dataSize) {
  OpenKey scratch;
  const OpenKey* k = findKey(key, scratch);
  if (!k) return kErrorInvalidHandle;
  if (!(k->access & kKeySetValue)) return kErrorAccessDenied;
  if (RegStatus s = k->hive->writable(); s != kErrorSuccess) return s;
  WineHive& hive = k->hive->hive();
  if (!hive.keyExists(k->path)) return kErrorFileNotFound;  // deleted since it was opened
  hive.setValue(k->path, HiveValue{codePageToUtf16(valueName), type, fromAnsiData(type, data, dataSize)});
  return k->hive->save();
}

RegStatus WineRegistry::RegCreateKeyExA(RegHandle key, std::string_view subKey, std::uint32_t,
                                        std::uint32_t samDesired, RegHandle* result,
                                        std::uint32_t* disposition) {
  OpenKey scratch;
  const OpenKey* base = findKey(key, scratch);
  if (!result) return kErrorInvalidParameter;
  if (!base) return kErrorInvalidHandle;
  HivePath path = base->path;
  for (auto& name : parsePath(subKey)) path.push_back(std::move(name));
  HiveFile* file = base->hive;
  if (file->hive().keyExists(path)) {
    if (disposition) *disposition = kRegOpenedExistingKey;
  } else {
    if (!(base->access & kKeyCreateSubKey)) return kErrorAccessDenied;
    if (RegStatus s = file->writable(); s != kErrorSuccess) return s;
    file->hive().createKey(path);
    if (RegStatus s = file->save(); s != kErrorSuccess) return s;
    if (disposition) *disposition = kRegCreatedNewKey;
  }
  *result = remember({file, std::move(path), samDesired});
  return kErrorSuccess;
}

RegStatus WineRegistry::RegDeleteKeyA(RegHandle key, std::string_view subKey) {
  OpenKey scratch;
  const OpenKey* base = findKey(key, scratch);
  if (!base) return kErrorInvalidHandle;
  HivePath path = base->path;
  for (auto& name : parsePath(subKey)) path.push_back(std::move(name));
  HiveFile* file = base->hive;
  if (path.empty()) return kErrorAccessDenied;
  if (!file->hive().keyExists(path)) return kErrorFileNotFound;
  if (file->hive().hasSubkeys(path)) return kErrorAccessDenied;
  if (RegStatus s = file->writable(); s != kErrorSuccess) return s;
  file->hive().deleteKey(path);
  return file->save();
}

RegStatus WineRegistry::RegDeleteValueA(RegHandle key, std::string_view valueName) {
  OpenKey scratch;
  const OpenKey* k = findKey(key, scratch);
  if (!k) return kErrorInvalidHandle;
  if (!(k->access & kKeySetValue)) return kErrorAccessDenied;
  HiveFile* file = k->hive;
  if (!file->hive().findValue(k->path, codePageToUtf16(valueName))) return kErrorFileNotFound;
  if (RegStatus s = file->writable(); s != kErrorSuccess) return s;
  file->hive().deleteValue(k->path, codePageToUtf16(valueName));
  return file->save();
}

RegStatus WineRegistry::RegEnumKeyExA(RegHandle key, std::uint32_t index, char* name,
                                      std::uint32_t* nameSize) {
  OpenKey scratch;
  const OpenKey* k = findKey(key, scratch);
  if (!k) return kErrorInvalidHandle;
  if (!(k->access & kKeyEnumerateSubKeys)) return kErrorAccessDenied;
  const auto names = k->hive->hive().subkeyNames(k->path);
  if (index >= names.size()) return kErrorNoMoreItems;
  return copyName(utf16ToCodePage(names[index]), name, nameSize);
}

RegStatus WineRegistry::RegEnumValueA(RegHandle key, std::uint32_t index, char* name,
                                      std::uint32_t* nameSize, std::uint32_t* type,
                                      std::uint8_t* data, std::uint32_t* dataSize) {
  OpenKey scratch;
  const OpenKey* k = findKey(key, scratch);
  if (!k) return kErrorInvalidHandle;
  if (!(k->access & kKeyQueryValue)) return kErrorAccessDenied;
  const auto values = k->hive->hive().values(k->path);
  if (index >= values.size()) return kErrorNoMoreItems;
  const HiveValue& v = *values[index];
  if (type) *type = v.type;
  const RegStatus nameStatus = copyName(utf16ToCodePage(v.name), name, nameSize);
  const RegStatus dataStatus = copyData(toAnsiData(v), data, dataSize);
  return nameStatus != kErrorSuccess ? nameStatus : dataStatus;
}

RegStatus WineRegistry::RegConnectRegistryA(std::string_view, RegHandle, RegHandle*) {
  // Other machines' registries are out of reach from a Wine hive.
  return kErrorBadNetpath;
}

RegStatus WineRegistry::RegCloseKey(RegHandle key) {
  if (key == kHkeyCurrentUser || key == kHkeyLocalMachine) return kErrorSuccess;
  return open_.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

std::uint32_t WineRegistry::ExpandEnvironmentStringsA(std::string_view source, char* destination,
                                                      std::uint32_t size) {
  const std::string expanded = expandEnvironment(source);
  const auto needed = static_cast<std::uint32_t>(expanded.size() + 1);
  if (destination && size >= needed) std::memcpy(destination, expanded.c_str(), needed);
  return needed;
}

}  // namespace mailvane::system
