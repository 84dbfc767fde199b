#include "engine/QuotedPrintable.h"

#include <algorithm>
#include <array>

#include "engine/TextOps.h"

namespace mailvane::engine {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int upperHexValue(char c) { return c >= 'a' && c <= 'f' ? -1 : hexValue(c); }

constexpr std::array<unsigned char, 37> kAccents = {
    0xA9, 0xAB, 0xBB, 0xBC, 0xBE, 0xC1, 0xC5, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xD1,
    0xD6, 0xD8, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA,
    0xEB, 0xEC, 0xED, 0xEE, 0xF3, 0xF5, 0xF8, 0xFA, 0xFB, 0xFC, 0xFE};

bool isAccent(int code) {
  return std::find(kAccents.begin(), kAccents.end(), code) != kAccents.end();
}

// The one or two characters after an "=" that form its code, never crossing the next "=".
std::string_view escapeDigits(std::string_view text, size_t eq) {
  std::string_view h = text.substr(eq + 1, 2);
  const size_t nextEq = h.find('=');
  return nextEq == npos ? h : h.substr(0, nextEq);
}

}  // namespace

std::string QuotedPrintable::hexChar(std::string_view h) {
  if (h.empty() || h.size() > 2) return {};
  int value = 0;
  for (char c : h) {
    const int digit = hexValue(c);
    if (digit < 0) return {};
    value = value * 16 + digit;
  }
  return std::string(1, static_cast<char>(value));
}

std::string QuotedPrintable::decode(std::string_view text) {
  if (text.find('=') == npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (text[i] != '=') {
      const size_t eq = text.find('=', i);
      const size_t end = eq == npos ? text.size() : eq;
      out.append(text, i, end - i);
      i = end;
      continue;
    }
    if (text.substr(i + 1, 2) == kCrLf) {
      i += 3;
      continue;
    }
    const std::string_view h = escapeDigits(text, i);
    const std::string c = hexChar(h);
    if (c.empty()) {
      out += '=';
      ++i;
    } else {
      out += c;
      i += 1 + h.size();
    }
  }
  return out;
}

std::string QuotedPrintable::decodeAccents(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '=' && i + 2 < text.size()) {
      const int hi = upperHexValue(text[i + 1]);
      const int lo = upperHexValue(text[i + 2]);
      if (hi >= 0 && lo >= 0 && isAccent(hi * 16 + lo)) {
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace mailvane::engine
