#include "plugins/newswatch/WildcardPattern.h"

namespace mailvane::newswatch {

namespace {

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Names are UTF-8: "?" stands for one character, not one byte.
size_t nextCharacter(std::string_view text, size_t at) {
  ++at;
  while (at < text.size() && isContinuation(text[at])) ++at;
  return at;
}

}  // namespace

WildcardPattern::WildcardPattern(std::string_view pattern)
    : pattern_(pattern), matchesAll_(pattern.empty() || pattern == "*" || pattern == "*.*") {}

// Greedy matching with one back-track point: linear in practice and never exponential,
// whatever number of stars the pattern holds.
bool WildcardPattern::matches(std::string_view name) const {
  if (matchesAll_) return true;
  size_t p = 0, n = 0;
  size_t starP = std::string::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern_.size() && pattern_[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern_.size() && pattern_[p] == '?') {
      ++p;
      n = nextCharacter(name, n);
    } else if (p < pattern_.size() && foldAscii(pattern_[p]) == foldAscii(name[n])) {
      ++p;
      ++n;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      n = starN = nextCharacter(name, starN);
    } else {
      return false;
    }
  }
  while (p < pattern_.size() && pattern_[p] == '*') ++p;
  return p == pattern_.size();
}

}  // namespace mailvane::newswatch
