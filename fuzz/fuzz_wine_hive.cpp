// Feeds arbitrary bytes to the registry hive reader and checks the writer against it:
// a hive written back reads back to the same text and to the same keys and values, and a
// value set in it reads back whole, with every other key and value as it was.
#include "system/WineHive.h"

#include <cstddef>
#include <map>
#include <tuple>
#include <vector>
#include <cstdint>
#include <string>
#include <string_view>

#include "system/Utf16.h"

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

using Snapshot = std::map<std::u16string, std::vector<std::tuple<std::u16string, std::uint32_t,
                                                                   std::vector<std::uint8_t>>>>;

// Every key (to a depth where the walk stays quick) and its values, by folded path.
Snapshot snapshot(const WineHive& hive, const HivePath& skip = {}) {
  Snapshot out;
  std::vector<HivePath> pending{HivePath{}};
  while (!pending.empty()) {
    HivePath path = std::move(pending.back());
    pending.pop_back();
    if (!skip.empty() && path == skip) continue;
    std::u16string key;
    for (const auto& name : path) key += mailvane::system::foldCase(name) + u"\\";
    auto& values = out[key];
    for (const HiveValue* v : hive.values(path))
      values.emplace_back(mailvane::system::foldCase(v->name), v->type, v->data);
    if (path.size() == 6) continue;
    for (const auto& name : hive.subkeyNames(path)) {
      HivePath child = path;
      child.push_back(name);
      pending.push_back(std::move(child));
    }
  }
  return out;
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
  const WineHive reread = WineHive::parse(written);
  check(reread.serialize() == written);
  if (!hive.signatureValid()) return 0;
  const Snapshot before = snapshot(hive);
  check(snapshot(reread) == before);

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
  // Everything else reads back as it was: the target key's other values, every other key.
  Snapshot expected = before, after = snapshot(again);
  std::u16string targetKey;
  for (const auto& name : target) targetKey += mailvane::system::foldCase(name) + u"\\";
  auto withoutValue = [&](Snapshot& s) {
    auto& values = s[targetKey];
    std::erase_if(values, [&](const auto& v) {
      return std::get<0>(v) == mailvane::system::foldCase(value.name);
    });
  };
  withoutValue(expected);
  withoutValue(after);
  check(after == expected);
  return 0;
}
