#include "system/RegValue.h"

#include <charconv>

namespace mailvane::system {

std::string RegValue::toText() const {
  if (const auto* text = std::get_if<std::string>(&value_)) return *text;
  if (const auto* number = std::get_if<std::int32_t>(&value_)) return std::to_string(*number);
  if (const auto* bytes = std::get_if<Bytes>(&value_)) return std::string(bytes->begin(), bytes->end());
  return {};
}

RegValue::Bytes RegValue::toBytes() const {
  if (const auto* bytes = std::get_if<Bytes>(&value_)) return *bytes;
  if (const auto* text = std::get_if<std::string>(&value_)) return Bytes(text->begin(), text->end());
  if (const auto* number = std::get_if<std::int32_t>(&value_)) {
    const auto n = static_cast<std::uint32_t>(*number);
    return {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
            static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
  }
  return {};
}

std::int32_t RegValue::toInteger() const {
  if (const auto* number = std::get_if<std::int32_t>(&value_)) return *number;
  if (const auto* text = std::get_if<std::string>(&value_)) {
    size_t start = text->find_first_not_of(' ');
    if (start == std::string::npos) return 0;
    if ((*text)[start] == '+') ++start;
    std::int32_t n = 0;
    std::from_chars(text->data() + start, text->data() + text->size(), n);
    return n;
  }
  if (const auto* bytes = std::get_if<Bytes>(&value_)) {
    std::uint32_t n = 0;
    for (size_t i = 0; i < 4 && i < bytes->size(); ++i) n |= static_cast<std::uint32_t>((*bytes)[i]) << (8 * i);
    return static_cast<std::int32_t>(n);
  }
  return 0;
}

}  // namespace mailvane::system
