#include "index/TextFold.h"

#include <cstdint>

#include "system/CodePage.h"

namespace mailvane::index {
namespace {

// Length of the well-formed UTF-8 sequence at text[i], 0 when it is not one.
size_t sequenceLength(std::string_view text, size_t i, char32_t& code) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  size_t length = 0;
  char32_t min = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, code = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code = lead & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

char32_t lowerOf(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
  if (c >= 0x100 && c <= 0x17F) {
    // Latin Extended-A pairs capitals with the next code, except a few shifted runs.
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    const bool oddRun = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddRun) return (c % 2 == 1) ? c + 1 : c;
    if (c == 0x178) return 0xFF;
    return (c % 2 == 0) ? c + 1 : c;
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;  // Greek
  if (c >= 0x410 && c <= 0x42F) return c + 32;                // Cyrillic
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

// Calls valid(code, bytes) for each well-formed sequence and invalid(byte) for each byte
// that is not part of one, in order.
template <typename Valid, typename Invalid>
void eachSequence(std::string_view text, Valid valid, Invalid invalid) {
  for (size_t i = 0; i < text.size();) {
    char32_t code = 0;
    const size_t length = sequenceLength(text, i, code);
    if (length == 0) {
      invalid(text[i++]);
    } else {
      valid(code, text.substr(i, length));
      i += length;
    }
  }
}

}  // namespace

std::string foldCase(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  eachSequence(
      utf8,
      [&](char32_t code, std::string_view bytes) {
        const char32_t lower = lowerOf(code);
        if (lower == code)
          out.append(bytes);
        else
          system::appendUtf8(out, lower);
      },
      [&](char byte) { out += byte; });
  return out;
}

std::string validUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  eachSequence(
      text, [&](char32_t, std::string_view bytes) { out.append(bytes); },
      [&](char) { out += "\xEF\xBF\xBD"; });
  return out;
}

bool isValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    char32_t code = 0;
    const size_t length = sequenceLength(text, i, code);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

}  // namespace mailvane::index
