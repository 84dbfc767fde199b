#include "plugins/toolbench/DbxBlockChain.h"

#include <array>
#include <unordered_set>

#include "plugins/toolbench/DbxHex.h"

namespace mailvane::dbx {

namespace {

constexpr uint32_t kHeaderSize = 0x10;
constexpr uint32_t kMaxCapacity = 0x200;
// A freed block is re-labelled with a free area of 0x1FC bytes and a total of 0x210.
constexpr uint32_t kFreedCapacity = 0x1FC;
constexpr uint32_t kFreedTotal = 0x210;

struct Block {
  uint32_t capacity = 0;
  uint32_t used = 0;
  uint32_t next = 0;
};

// The header of the block at `offset`, or the reason it cannot be used.
std::string readBlock(DbxSource& source, uint32_t offset, Block& block) {
  std::array<char, kHeaderSize> head{};
  if (!source.read(offset, head.size(), head.data())) {
    return "block " + hex(offset) + " lies outside the file";
  }
  if (u32At(head.data(), 0) != offset) return "block " + hex(offset) + " is not a block";
  block = {u32At(head.data(), 4), u32At(head.data(), 8), u32At(head.data(), 12)};
  if (block.capacity == kFreedCapacity && block.used == kFreedTotal) {
    return "block " + hex(offset) + " has been freed";
  }
  if (block.capacity > kMaxCapacity || block.used > block.capacity) {
    return "block " + hex(offset) + " claims an impossible size";
  }
  if (!source.contains(uint64_t(offset) + kHeaderSize, block.used)) {
    return "block " + hex(offset) + " runs past the end of the file";
  }
  return {};
}

}  // namespace

DbxChainResult readBlockChain(DbxSource& source, uint32_t first, std::string* text) {
  DbxChainResult result;
  std::unordered_set<uint32_t> seen;
  std::array<char, kMaxCapacity> buffer{};
  for (uint32_t offset = first; offset != 0;) {
    if (!seen.insert(offset).second) {
      result.error = "the block chain loops back to " + hex(offset);
      return result;
    }
    Block block;
    result.error = readBlock(source, offset, block);
    if (!result.error.empty()) return result;
    if (text != nullptr) {
      if (!source.read(uint64_t(offset) + kHeaderSize, block.used, buffer.data())) {
        result.error = "block " + hex(offset) + " cannot be read";
        return result;
      }
      text->append(buffer.data(), block.used);
    }
    result.length += block.used;
    offset = block.next;
  }
  result.complete = true;
  return result;
}

}  // namespace mailvane::dbx
