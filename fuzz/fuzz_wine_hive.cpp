// Feeds arbitrary bytes to the registry hive reader and checks the writer against it:
// a hive written back reads back to the same text, and a value set in it reads back whole.
#include "system/WineHive.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using mailvane::system::HivePath;
using mailvane::system::HiveValue;
using mailvane::system::WineHive;

namespace {

void walk(const WineHive& hive, HivePath& path, int depth) {
  for (const HiveValue* v : hive.values(path)) (void)hive.findValue(path, v->name);
  if (depth == 4) return;
  for (const auto& name : hive.subkeyNames(path)) {
    path.push_back(name);
    walk(hive, path, depth + 1);
    path.pop_back();
  }
}

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  WineHive hive = WineHive::parse(text);
  HivePath path;
  walk(hive, path, 0);

  const std::string written = hive.serialize();
  check(WineHive::parse(written).serialize() == written);
  if (!hive.signatureValid()) return 0;

  // A value built from the input itself, into an existing key when there is one.
  const auto keys = hive.subkeyNames({});
  const HivePath target = keys.empty() ? HivePath{u"Fuzz"} : HivePath{keys.front()};
  HiveValue value;
  value.name = size > 0 ? std::u16string(1, static_cast<char16_t>(data[0] * 257)) : u"";
  value.type = size > 1 ? data[1] % 9 : 1;
  value.data.assign(data, data + (size < 64 ? size : 64));
  hive.setValue(target, value);
  const WineHive again = WineHive::parse(hive.serialize());
  const HiveValue* read = again.findValue(target, value.name);
  check(read != nullptr && read->type == value.type && read->data == value.data);
  return 0;
}
