#pragma once
// File-name patterns as the listener windows set them: "*" matches any run of characters,
// "?" exactly one, everything else itself without regard to ASCII letter case (the stores
// come from a case-blind file system, so "*.eml" must also catch "MSG.EML").

#include <string>
#include <string_view>

namespace mailvane::newswatch {

class WildcardPattern {
 public:
  // An empty pattern, "*" and "*.*" match every name, also names without a dot.
  explicit WildcardPattern(std::string_view pattern = "*");

  bool matches(std::string_view name) const;
  const std::string& text() const { return pattern_; }

 private:
  std::string pattern_;
  bool matchesAll_ = true;
};

}  // namespace mailvane::newswatch
