#pragma once
// The multipart boundaries a message declares, and the delimiter lines made from them.
// Parts end at the next delimiter line of any declared boundary, whatever the client
// that wrote the message calls its boundaries.

#include <string>
#include <string_view>
#include <unordered_set>

namespace mailvane::engine {

class BoundarySet {
 public:
  BoundarySet() = default;
  // Collects every boundary= parameter (any letter case, quoted or bare) of the message.
  explicit BoundarySet(std::string_view message);

  bool empty() const { return boundaries_.empty(); }
  // "--" + a declared boundary, optionally closed with "--", trailing white space allowed.
  bool isDelimiterLine(std::string_view line) const;
  // Start of the first delimiter line that starts at or after lineStart (which must be
  // the start of a line) and before limit; npos when there is none.
  size_t findDelimiterLine(std::string_view text, size_t lineStart, size_t limit) const;

 private:
  std::unordered_set<std::string> boundaries_;
};

}  // namespace mailvane::engine
