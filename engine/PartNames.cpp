#include "engine/PartNames.h"

#include <array>

#include "engine/TextOps.h"
#include "system/CodePage.h"

namespace mailvane::engine {
namespace {

// Longest extension still kept when a name is shortened; longer "extensions" are
// simply part of the name.
constexpr size_t kMaxExtensionBytes = 32;

size_t utf8Width(char c) {
  static const std::array<unsigned char, 256> widths = [] {
    std::array<unsigned char, 256> w{};
    for (int b = 0; b < 256; ++b)
      w[static_cast<size_t>(b)] = static_cast<unsigned char>(
          system::toUtf8(std::string(1, static_cast<char>(b))).size());
    return w;
  }();
  return widths[static_cast<unsigned char>(c)];
}

size_t utf8Size(std::string_view s) {
  size_t n = 0;
  for (char c : s) n += utf8Width(c);
  return n;
}

// The longest prefix of s whose UTF-8 form fits in budget bytes.
std::string_view prefixWithin(std::string_view s, size_t budget) {
  size_t used = 0, i = 0;
  for (; i < s.size() && used + utf8Width(s[i]) <= budget; ++i) used += utf8Width(s[i]);
  return s.substr(0, i);
}

std::string shorten(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot != npos && dot > 0) {
    const std::string_view ext = std::string_view(name).substr(dot);
    const size_t extBytes = utf8Size(ext);
    if (extBytes <= kMaxExtensionBytes)
      return std::string(prefixWithin(std::string_view(name).substr(0, dot),
                                      PartNames::kMaxNameBytes - extBytes)) +
             std::string(ext);
  }
  return std::string(prefixWithin(name, PartNames::kMaxNameBytes));
}

}  // namespace

std::string PartNames::fit(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (c == '\0' || c == '/') c = '_';
  if (out.find_first_not_of('.') == npos) out.insert(out.begin(), '_');
  if (utf8Size(out) > kMaxNameBytes) out = shorten(out);
  return out;
}

std::string PartNames::claim(std::string_view name) {
  std::string wanted(name);
  if (used_.insert(wanted).second) return wanted;
  const size_t dot = wanted.find('.');
  const std::string stem = wanted.substr(0, dot);
  const std::string rest = dot == npos ? std::string() : wanted.substr(dot);
  long& next = nextNumber_.try_emplace(wanted, 1).first->second;
  for (;; ++next) {
    std::string candidate = stem + std::to_string(next) + rest;
    if (used_.insert(candidate).second) {
      ++next;
      return candidate;
    }
  }
}

}  // namespace mailvane::engine
