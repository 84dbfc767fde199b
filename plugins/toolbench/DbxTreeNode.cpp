#include "plugins/toolbench/DbxTreeNode.h"

namespace mailvane::dbx {

std::optional<DbxTreeNode> DbxTreeNode::read(DbxSource& source, uint32_t offset, uint32_t parent) {
  std::array<char, kSize> raw{};
  if (offset == 0 || !source.read(offset, raw.size(), raw.data())) return std::nullopt;
  DbxTreeNode node;
  node.offset = u32At(raw.data(), 0x00);
  node.leadingChild = u32At(raw.data(), 0x08);
  node.parent = u32At(raw.data(), 0x0C);
  node.entryCount = u8At(raw.data(), 0x11);
  node.leadingCount = u32At(raw.data(), 0x14);
  if (node.offset != offset || node.parent != parent || node.entryCount > kMaxEntries) {
    return std::nullopt;
  }
  for (size_t i = 0; i < node.entryCount; ++i) {
    const size_t at = 0x18 + 12 * i;
    node.entries[i] = {u32At(raw.data(), at), u32At(raw.data(), at + 4), u32At(raw.data(), at + 8)};
  }
  return node;
}

}  // namespace mailvane::dbx
