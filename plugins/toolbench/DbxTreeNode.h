#pragma once
// One 0x27C-byte node of a .dbx tree, read and checked against its own offset.

#include <array>
#include <cstdint>
#include <optional>

#include "plugins/toolbench/DbxSource.h"

namespace mailvane::dbx {

struct DbxTreeNode {
  static constexpr uint32_t kSize = 0x27C;
  static constexpr uint8_t kMaxEntries = 0x33;

  struct Entry {
    uint32_t value = 0;  // offset of a record, 0 = empty slot
    uint32_t child = 0;  // subtree after the value, 0 = none
    uint32_t childCount = 0;
  };

  uint32_t offset = 0;
  uint32_t parent = 0;
  uint32_t leadingChild = 0;  // subtree before every entry, 0 = none
  uint32_t leadingCount = 0;
  uint8_t entryCount = 0;
  std::array<Entry, kMaxEntries> entries{};

  // The node at `offset`, or nothing when it lies outside the file, its self-offset or
  // parent link is wrong, or it claims more entries than a node holds.
  static std::optional<DbxTreeNode> read(DbxSource& source, uint32_t offset, uint32_t parent);
};

}  // namespace mailvane::dbx
