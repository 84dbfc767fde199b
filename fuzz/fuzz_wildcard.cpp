// File-name patterns against names found on disk: the fast matcher must agree with a
// plain dynamic-programming reference on every pattern and (valid UTF-8) name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "plugins/newswatch/WildcardPattern.h"

namespace {

bool validUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3
                                             : (lead >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

std::vector<std::string_view> characters(std::string_view text) {
  std::vector<std::string_view> out;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t end = i + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    out.push_back(text.substr(i, end - i));
    i = end;
  }
  return out;
}

char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameCharacter(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

bool reference(std::string_view pattern, std::string_view name) {
  if (pattern.empty() || pattern == "*" || pattern == "*.*") return true;
  const auto p = characters(pattern);
  const auto n = characters(name);
  // match[i][j]: the first i pattern characters match the first j name characters.
  std::vector<std::vector<bool>> match(p.size() + 1, std::vector<bool>(n.size() + 1, false));
  match[0][0] = true;
  for (std::size_t i = 1; i <= p.size(); ++i) {
    for (std::size_t j = 0; j <= n.size(); ++j) {
      if (p[i - 1] == "*") {
        match[i][j] = match[i - 1][j] || (j > 0 && match[i][j - 1]);
      } else if (j > 0) {
        match[i][j] = match[i - 1][j - 1] && (p[i - 1] == "?" || sameCharacter(p[i - 1], n[j - 1]));
      }
    }
  }
  return match[p.size()][n.size()];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 2000) return 0;  // the reference is quadratic
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = input.find('\n');
  const std::string_view pattern = input.substr(0, cut);
  const std::string_view name = cut == std::string_view::npos ? "" : input.substr(cut + 1);
  const bool fast = mailvane::newswatch::WildcardPattern(pattern).matches(name);
  if (validUtf8(pattern) && validUtf8(name) && fast != reference(pattern, name)) std::abort();
  return 0;
}
