#pragma once
// One registry hive in Wine's text format ("WINE REGISTRY Version 2"), parsed so that it
// can be written back without disturbing anything that was not changed: every line that
// is not rewritten (comments, options, values we cannot read, keys with broken names) is
// kept as it was read.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace mailvane::system {

using HivePath = std::vector<std::u16string>;  // key names below the hive's root

struct HiveValue {
  std::u16string name;  // empty: the key's default value ("@")
  std::uint32_t type = 0;
  // As the registry holds it: texts are UTF-16LE code units with their terminating NUL.
  std::vector<std::uint8_t> data;
};

class WineHive {
 public:
  static constexpr std::string_view kSignature = "WINE REGISTRY Version 2";

  // An empty hive, as written when no file existed.
  WineHive();
  // Moves only: the lookup caches point into the hive's own lines.
  WineHive(WineHive&&) = default;
  WineHive& operator=(WineHive&&) = default;
  WineHive(const WineHive&) = delete;
  WineHive& operator=(const WineHive&) = delete;
  // Reads as far as the text is valid; never fails.
  static WineHive parse(std::string_view text);
  std::string serialize() const;

  // False when the first line is not the signature: such a file is not ours to rewrite.
  bool signatureValid() const { return signatureValid_; }

  // A key exists when it has a section of its own or a subkey (Wine does not write keys
  // that hold only subkeys). The root always exists.
  bool keyExists(const HivePath& path) const;
  bool hasSubkeys(const HivePath& path) const;
  // Names of the direct subkeys, sorted without regard to letter case.
  std::vector<std::u16string> subkeyNames(const HivePath& path) const;
  // Values of the key in file order; a name given twice counts once, with its last data.
  std::vector<const HiveValue*> values(const HivePath& path) const;
  const HiveValue* findValue(const HivePath& path, std::u16string_view name) const;

  // Changes; each keeps the rest of the text as it was.
  void setValue(const HivePath& path, HiveValue value);
  bool deleteValue(const HivePath& path, std::u16string_view name);
  // False when the key already existed.
  bool createKey(const HivePath& path);
  // Removes the key's own values; the caller checks it has no subkeys.
  bool deleteKey(const HivePath& path);

 private:
  struct Entry {
    std::string raw;  // the line(s) as read; empty for a value written by us
    std::optional<HiveValue> value;
  };
  struct Section {
    HivePath path;
    std::string header;  // the "[...]" line as read or generated
    bool valid = true;   // false: its name could not be read, so its values are unreachable
    bool generated = false;
    std::vector<Entry> entries;
  };

  void parseLines(std::string_view text);
  void addKeyLine(std::string_view raw, std::string_view line);
  void addValueLine(std::string_view raw, std::string_view line, std::string_view& rest);
  void addOtherLine(std::string_view raw);
  void rebuildIndex();
  Section* sectionOf(const HivePath& path);
  const Section* sectionOf(const HivePath& path) const;
  Section& ensureSection(const HivePath& path);

  static constexpr size_t kPreamble = static_cast<size_t>(-1);

  std::vector<std::string> preamble_;
  size_t current_ = kPreamble;  // section that receives the lines being read
  std::vector<Section> sections_;
  bool signatureValid_ = true;
  std::unordered_map<std::u16string, size_t> sectionIndex_;  // folded path -> section
  std::unordered_set<std::u16string> existing_;  // folded paths of every key and its parents
  // Answers by folded path; cleared by every change.
  mutable std::unordered_map<std::u16string, std::vector<std::u16string>> subkeyCache_;
  mutable std::unordered_map<std::u16string, std::vector<const HiveValue*>> valueCache_;
};

}  // namespace mailvane::system
