#pragma once
// A registry value as the program uses it: text (code-page bytes), a byte array, a
// 32-bit signed integer, or empty (no value).

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace mailvane::system {

class RegValue {
 public:
  using Bytes = std::vector<std::uint8_t>;

  RegValue() = default;
  RegValue(std::string text) : value_(std::move(text)) {}
  RegValue(const char* text) : value_(std::string(text)) {}
  RegValue(Bytes bytes) : value_(std::move(bytes)) {}
  RegValue(std::int32_t number) : value_(number) {}

  bool isEmpty() const { return std::holds_alternative<std::monostate>(value_); }
  bool isText() const { return std::holds_alternative<std::string>(value_); }
  bool isBytes() const { return std::holds_alternative<Bytes>(value_); }
  bool isInteger() const { return std::holds_alternative<std::int32_t>(value_); }

  // Text: the text; integer: its decimal digits; bytes: one character per byte; empty: "".
  std::string toText() const;
  // Bytes: the bytes; text: its characters' bytes; integer: 4 bytes, little-endian; empty: none.
  Bytes toBytes() const;
  // Integer: the number; text: its leading decimal number (0 when none); bytes: the first
  // 4 bytes, little-endian; empty: 0.
  std::int32_t toInteger() const;

  bool operator==(const RegValue&) const = default;

 private:
  std::variant<std::monostate, std::string, Bytes, std::int32_t> value_;
};

}  // namespace mailvane::system
