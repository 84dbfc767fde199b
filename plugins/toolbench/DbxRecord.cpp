#include "plugins/toolbench/DbxRecord.h"

#include <algorithm>
#include <array>

#include "plugins/toolbench/DbxHex.h"

namespace mailvane::dbx {

std::optional<DbxRecord> DbxRecord::read(DbxSource& source, uint32_t offset, std::string& error) {
  std::array<char, 12> head{};
  if (offset == 0 || !source.read(offset, head.size(), head.data())) {
    error = "record " + hex(offset) + " lies outside the file";
    return std::nullopt;
  }
  const uint32_t self = u32At(head.data(), 0);
  const uint32_t bodyLength = u32At(head.data(), 4);
  const uint32_t propertyCount = u8At(head.data(), 0x0A);
  if (self != offset) {
    error = "record " + hex(offset) + " does not carry its own offset";
    return std::nullopt;
  }
  if (bodyLength > kMaxBody || 4 * propertyCount > bodyLength) {
    error = "record " + hex(offset) + " has an impossible length";
    return std::nullopt;
  }
  std::string body(bodyLength, '\0');
  if (!source.read(uint64_t(offset) + head.size(), body.size(), body.data())) {
    error = "record " + hex(offset) + " runs past the end of the file";
    return std::nullopt;
  }
  DbxRecord record;
  for (uint32_t i = 0; i < propertyCount; ++i) {
    const uint32_t entry = u32At(body.data(), 4 * i);
    const Property property{static_cast<uint8_t>(entry & 0x7F), (entry & 0x80) != 0, entry >> 8};
    record.properties_.push_back(property);
    if (!property.direct) record.starts_.push_back(property.value);
  }
  std::sort(record.starts_.begin(), record.starts_.end());
  record.data_ = body.substr(4 * propertyCount);
  return record;
}

const DbxRecord::Property* DbxRecord::find(uint8_t index) const {
  for (const auto& property : properties_) {
    if (property.index == index) return &property;
  }
  return nullptr;
}

size_t DbxRecord::valueEnd(uint32_t start) const {
  const auto next = std::upper_bound(starts_.begin(), starts_.end(), start);
  return next == starts_.end() ? data_.size() : std::min<size_t>(*next, data_.size());
}

std::optional<uint32_t> DbxRecord::integer(uint8_t index) const {
  const Property* property = find(index);
  if (property == nullptr) return std::nullopt;
  if (property->direct) return property->value;
  if (property->value >= data_.size()) return std::nullopt;
  // A value area shorter than 4 bytes holds a smaller integer.
  const size_t length = std::min<size_t>(4, valueEnd(property->value) - property->value);
  uint32_t value = 0;
  for (size_t i = 0; i < length; ++i) {
    value |= uint32_t(static_cast<unsigned char>(data_[property->value + i])) << (8 * i);
  }
  return value;
}

std::optional<std::string> DbxRecord::bytes(uint8_t index) const {
  const Property* property = find(index);
  if (property == nullptr || property->direct || property->value >= data_.size()) {
    return std::nullopt;
  }
  const size_t end = valueEnd(property->value);
  std::string value = data_.substr(property->value, end - property->value);
  const size_t nul = value.find('\0');
  if (nul != std::string::npos) value.resize(nul);
  return value;
}

}  // namespace mailvane::dbx
