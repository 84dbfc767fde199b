#include "tests/plugins/toolbench/DbxBuilder.h"

#include <algorithm>
#include <fstream>

namespace mailvane::dbx::test {

namespace {

constexpr uint32_t kHeaderSize = 0x24BC;
constexpr uint32_t kFileInfoSize = 0x618;
constexpr uint32_t kNodeSize = 0x27C;
constexpr uint32_t kBlockSize = 0x210;

std::string le32(uint32_t value) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(value >> (8 * i));
  return out;
}

}  // namespace

Property Property::int4(uint8_t index, uint32_t value) {
  return bytes(index, le32(value));
}

DbxBuilder::DbxBuilder(uint32_t classId) : image_(kHeaderSize + kFileInfoSize, '\0') {
  putU32(0x00, 0xFE12ADCF);
  putU32(0x04, classId);
  putU32(0x08, 0x11D1E366);
  putU32(0x0C, 0xC0004E9A);
  putU32(0x10, 0xD409A34F);
  putU32(0x14, 5);
  putU32(0x18, 5);
  putU32(0x1C, kFileInfoSize);
}

uint32_t DbxBuilder::reserve(size_t length) {
  const auto offset = static_cast<uint32_t>(image_.size());
  image_.resize(image_.size() + ((length + 3) & ~size_t(3)), '\0');
  return offset;
}

void DbxBuilder::skipTo(uint32_t offset) {
  if (image_.size() < offset) image_.resize(offset, '\0');
  image_.resize((image_.size() + 3) & ~size_t(3), '\0');
}

void DbxBuilder::putU32(uint32_t offset, uint32_t value) {
  if (image_.size() < offset + 4) image_.resize(offset + 4, '\0');
  image_.replace(offset, 4, le32(value));
}

uint32_t DbxBuilder::u32(uint32_t offset) const {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    value |= uint32_t(static_cast<unsigned char>(image_[offset + i])) << (8 * i);
  }
  return value;
}

uint32_t DbxBuilder::addChain(std::string_view text, uint32_t perBlock, bool reversed) {
  const size_t blocks = std::max<size_t>(1, (text.size() + perBlock - 1) / perBlock);
  std::vector<uint32_t> offsets(blocks);
  for (size_t i = 0; i < blocks; ++i) offsets[reversed ? blocks - 1 - i : i] = reserve(kBlockSize);
  for (size_t i = 0; i < blocks; ++i) {
    const std::string_view part = text.substr(std::min(text.size(), i * perBlock), perBlock);
    putU32(offsets[i], offsets[i]);
    putU32(offsets[i] + 4, 0x200);
    putU32(offsets[i] + 8, static_cast<uint32_t>(part.size()));
    putU32(offsets[i] + 12, i + 1 < blocks ? offsets[i + 1] : 0);
    image_.replace(offsets[i] + 16, part.size(), part);
  }
  return offsets[0];
}

uint32_t DbxBuilder::addRecord(const std::vector<Property>& properties) {
  std::string entries;
  std::string data;
  for (const auto& property : properties) {
    if (property.direct) {
      entries += le32(uint32_t(property.index) | 0x80 | property.value << 8);
    } else {
      entries += le32(uint32_t(property.index) | static_cast<uint32_t>(data.size()) << 8);
      data += property.data;
    }
  }
  std::string body = entries + data;
  body.resize((body.size() + 3) & ~size_t(3), '\0');
  const uint32_t offset = reserve(12 + body.size());
  putU32(offset, offset);
  putU32(offset + 4, static_cast<uint32_t>(body.size()));
  image_[offset + 0x0A] = static_cast<char>(properties.size());
  image_.replace(offset + 12, body.size(), body);
  return offset;
}

uint32_t DbxBuilder::addMessage(uint32_t id, std::string_view subject, uint32_t firstBlock,
                                bool indirectBody) {
  std::vector<Property> properties = {Property::direct24(0x00, id)};
  if (firstBlock != 0) {
    // A direct value has 24 bits: a block further into the file must be stored apart.
    indirectBody = indirectBody || firstBlock >= (1u << 24);
    properties.push_back(indirectBody ? Property::int4(0x04, firstBlock)
                                      : Property::direct24(0x04, firstBlock));
  }
  properties.push_back(Property::text(0x08, subject));
  return addRecord(properties);
}

uint32_t DbxBuilder::addNode(const std::vector<uint32_t>& values, size_t begin, size_t end,
                             size_t perNode, uint32_t parent) {
  const uint32_t node = reserve(kNodeSize);
  putU32(node, node);
  putU32(node + 0x0C, parent);
  const size_t count = end - begin;
  if (count <= perNode) {
    image_[node + 0x11] = static_cast<char>(count);
    for (size_t i = 0; i < count; ++i) putU32(node + 0x18 + 12 * i, values[begin + i]);
    return node;
  }
  // perNode values split the rest into perNode + 1 child subtrees of nearly equal size.
  const size_t rest = count - perNode;
  const size_t chunks = perNode + 1;
  size_t at = begin;
  const auto subtree = [&](size_t chunk, uint32_t pointerAt, uint32_t countAt) {
    const size_t length = rest / chunks + (chunk < rest % chunks ? 1 : 0);
    if (length > 0) {
      putU32(pointerAt, addNode(values, at, at + length, perNode, node));
      putU32(countAt, static_cast<uint32_t>(length));
    }
    at += length;
  };
  image_[node + 0x11] = static_cast<char>(perNode);
  subtree(0, node + 0x08, node + 0x14);
  for (size_t i = 0; i < perNode; ++i) {
    putU32(node + 0x18 + 12 * i, values[at++]);
    subtree(i + 1, node + 0x1C + 12 * i, node + 0x20 + 12 * i);
  }
  return node;
}

uint32_t DbxBuilder::addTree(const std::vector<uint32_t>& values, size_t perNode) {
  return values.empty() ? 0 : addNode(values, 0, values.size(), perNode, 0);
}

void DbxBuilder::setTree1(uint32_t root, uint32_t count) {
  putU32(0xC4, count);
  putU32(0xE4, root);
}

void DbxBuilder::save(const std::filesystem::path& path) const {
  std::ofstream(path, std::ios::binary).write(image_.data(), std::streamsize(image_.size()));
}

DbxBuilder DbxBuilder::messages(const std::vector<std::string>& texts, size_t perNode) {
  DbxBuilder builder;
  std::vector<uint32_t> records;
  for (size_t i = 0; i < texts.size(); ++i) {
    const uint32_t chain = builder.addChain(texts[i]);
    records.push_back(
        builder.addMessage(static_cast<uint32_t>(i + 1), "Subject " + std::to_string(i), chain));
  }
  builder.setTree1(builder.addTree(records, perNode), static_cast<uint32_t>(records.size()));
  return builder;
}

}  // namespace mailvane::dbx::test
