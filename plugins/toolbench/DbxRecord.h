#pragma once
// An indexed-info record (message info or folder info): a bag of numbered properties,
// each stored either directly in its 24-bit entry or in the record's data area.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plugins/toolbench/DbxSource.h"

namespace mailvane::dbx {

class DbxRecord {
 public:
  // Records live in 0xC000-byte segments; a larger body is damage, and the cap keeps a
  // hostile length from sizing an allocation.
  static constexpr uint32_t kMaxBody = 0xC000;

  // The record at `offset`, or nothing with the reason in `error`.
  static std::optional<DbxRecord> read(DbxSource& source, uint32_t offset, std::string& error);

  // An integer property (direct, or the first up to 4 bytes of its data); nothing when absent.
  std::optional<uint32_t> integer(uint8_t index) const;
  // A string property as stored (8-bit, no code-page conversion); nothing when absent.
  std::optional<std::string> bytes(uint8_t index) const;

 private:
  struct Property {
    uint8_t index = 0;
    bool direct = false;
    uint32_t value = 0;  // the value itself, or its start in the data area
  };
  const Property* find(uint8_t index) const;
  // Where an indirect value starting at `start` ends: the next value's start or the end.
  size_t valueEnd(uint32_t start) const;

  std::vector<Property> properties_;
  std::vector<uint32_t> starts_;  // starts of the indirect values, sorted
  std::string data_;
};

}  // namespace mailvane::dbx
