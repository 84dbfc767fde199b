#include "codecs/MimeDecoders.h"

#include <array>
#include <cstdint>

namespace mailvane {
namespace {

constexpr uint8_t kNotBase64 = 0xFF;

constexpr std::array<uint8_t, 256> makeBase64Table() {
  std::array<uint8_t, 256> table{};
  for (auto& v : table) v = kNotBase64;
  constexpr std::string_view alphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (size_t i = 0; i < alphabet.size(); ++i)
    table[static_cast<uint8_t>(alphabet[i])] = static_cast<uint8_t>(i);
  return table;
}
constexpr std::array<uint8_t, 256> kBase64 = makeBase64Table();


}  // namespace

int MimeDecoders::HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string MimeDecoders::Base64Bytes(std::string_view text) {
  std::string out(text.size() / 4 * 3 + 3, '\0');
  char* o = out.data();
  const auto* in = reinterpret_cast<const uint8_t*>(text.data());
  const size_t n = text.size();
  unsigned quad = 0;  // characters of the current group seen
  unsigned pads = 0;  // "=" seen since the last data character
  uint32_t left = 0;  // bits not yet written
  for (size_t i = 0; i < n; ++i) {
    // Fast path: whole groups of four alphabet characters, the bulk of every line.
    if (quad == 0) {
      while (i + 4 <= n) {
        const uint8_t a = kBase64[in[i]], b = kBase64[in[i + 1]], c = kBase64[in[i + 2]],
                      d = kBase64[in[i + 3]];
        if ((a | b | c | d) & 0x80) break;
        const uint32_t v = (uint32_t{a} << 18) | (uint32_t{b} << 12) | (uint32_t{c} << 6) | d;
        o[0] = static_cast<char>(v >> 16);
        o[1] = static_cast<char>(v >> 8);
        o[2] = static_cast<char>(v);
        o += 3;
        i += 4;
        pads = 0;
      }
      if (i >= n) break;
    }
    const uint8_t ch = in[i];
    if (ch == '=') {
      // Padding ends the data once it completes a group; a stray "=" is skipped.
      if (quad >= 2 && quad + ++pads >= 4) break;
      continue;
    }
    const uint8_t v = kBase64[ch];
    if (v == kNotBase64) continue;
    pads = 0;
    switch (quad) {
      case 0:
        left = v;
        quad = 1;
        break;
      case 1:
        *o++ = static_cast<char>((left << 2) | (v >> 4));
        left = v & 0x0F;
        quad = 2;
        break;
      case 2:
        *o++ = static_cast<char>((left << 4) | (v >> 2));
        left = v & 0x03;
        quad = 3;
        break;
      default:
        *o++ = static_cast<char>((left << 6) | v);
        left = 0;
        quad = 0;
        break;
    }
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

std::string MimeDecoders::QuotedPrintableBytes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const char c = text[i];
    if (c != '=') {
      // Copy the run up to the next "=" in one go.
      size_t next = text.find('=', i);
      if (next == std::string_view::npos) next = n;
      out.append(text.substr(i, next - i));
      i = next;
      continue;
    }
    ++i;
    if (i >= n) break;  // a lone "=" at the very end is a soft break with nothing after
    if (text[i] == '\n' || text[i] == '\r') {
      if (text[i] != '\n')
        while (i < n && text[i] != '\n') ++i;
      if (i < n) ++i;
    } else if (text[i] == '=') {
      out.push_back('=');
      ++i;
    } else if (i + 1 < n && HexDigit(text[i]) >= 0 && HexDigit(text[i + 1]) >= 0) {
      out.push_back(static_cast<char>(HexDigit(text[i]) * 16 + HexDigit(text[i + 1])));
      i += 2;
    } else {
      out.push_back('=');
    }
  }
  return out;
}

}  // namespace mailvane
