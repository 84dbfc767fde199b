#include "plugins/toolbench/DbxBlockChain.h"

#include <algorithm>
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

// Reads the block at `offset` (its header, and its text into `text` unless that is null)
// and returns the reason it cannot be used, or nothing.
std::string readBlock(DbxSource& source, uint32_t offset, Block& block, char* text) {
  // One read for header and text: the text area of a block that is the last thing in the
  // file may be cut short, so only what the header says is used must be there.
  std::array<char, kHeaderSize + kMaxCapacity> raw{};
  const uint64_t available = source.contains(offset, 0) ? source.size() - offset : 0;
  const size_t wanted = text == nullptr
                            ? kHeaderSize
                            : static_cast<size_t>(std::min<uint64_t>(raw.size(), available));
  if (wanted < kHeaderSize || !source.read(offset, wanted, raw.data())) {
    return "block " + hex(offset) + " lies outside the file";
  }
  if (u32At(raw.data(), 0) != offset) return "block " + hex(offset) + " is not a block";
  block = {u32At(raw.data(), 4), u32At(raw.data(), 8), u32At(raw.data(), 12)};
  if (block.capacity == kFreedCapacity && block.used == kFreedTotal) {
    return "block " + hex(offset) + " has been freed";
  }
  if (block.capacity > kMaxCapacity || block.used > block.capacity) {
    return "block " + hex(offset) + " claims an impossible size";
  }
  if (!source.contains(uint64_t(offset) + kHeaderSize, block.used)) {
    return "block " + hex(offset) + " runs past the end of the file";
  }
  if (text != nullptr) std::copy_n(raw.data() + kHeaderSize, block.used, text);
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
    result.error = readBlock(source, offset, block, text != nullptr ? buffer.data() : nullptr);
    if (!result.error.empty()) return result;
    if (text != nullptr) text->append(buffer.data(), block.used);
    result.length += block.used;
    offset = block.next;
  }
  result.complete = true;
  return result;
}

}  // namespace mailvane::dbx
