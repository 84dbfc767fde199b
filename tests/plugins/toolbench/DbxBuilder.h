#pragma once
// Builds .dbx files for tests: a header, index trees of any shape, records and block
// chains, laid out one after another, with hooks to damage any field afterwards.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace mailvane::dbx::test {

inline constexpr uint32_t kMessageClass = 0x6F74FDC5;
inline constexpr uint32_t kFolderClass = 0x6F74FDC6;

struct Property {
  uint8_t index = 0;
  bool direct = false;
  uint32_t value = 0;  // direct value
  std::string data;    // indirect value bytes

  static Property direct24(uint8_t index, uint32_t value) { return {index, true, value, {}}; }
  static Property bytes(uint8_t index, std::string data) {
    return {index, false, 0, std::move(data)};
  }
  static Property text(uint8_t index, std::string_view text) {
    return bytes(index, std::string(text) + '\0');
  }
  static Property int4(uint8_t index, uint32_t value);
};

class DbxBuilder {
 public:
  explicit DbxBuilder(uint32_t classId = kMessageClass);

  // Appends a chain holding `text` in blocks of up to `perBlock` bytes; blocks are laid
  // out last-first when `reversed`, so the chain jumps backwards. Returns the first block.
  uint32_t addChain(std::string_view text, uint32_t perBlock = 0x200, bool reversed = false);
  uint32_t addRecord(const std::vector<Property>& properties);
  // A message record: id, subject and (unless 0) the first block, direct or indirect.
  uint32_t addMessage(uint32_t id, std::string_view subject, uint32_t firstBlock,
                      bool indirectBody = false);
  // A tree over `values` (in order) with at most `perNode` entries per node, using both
  // leading children and entry children. Returns the root.
  uint32_t addTree(const std::vector<uint32_t>& values, size_t perNode);
  void setTree1(uint32_t root, uint32_t count);

  // Pads the file so the next object starts at `offset` (or later, kept 4-aligned).
  void skipTo(uint32_t offset);
  void putU32(uint32_t offset, uint32_t value);
  uint32_t u32(uint32_t offset) const;
  std::string& bytes() { return image_; }
  void save(const std::filesystem::path& path) const;

  // Message file with one text per message, tree of `perNode` entries per node.
  static DbxBuilder messages(const std::vector<std::string>& texts, size_t perNode = 51);

 private:
  uint32_t reserve(size_t length);
  uint32_t addNode(const std::vector<uint32_t>& values, size_t begin, size_t end, size_t perNode,
                   uint32_t parent);

  std::string image_;
};

}  // namespace mailvane::dbx::test
