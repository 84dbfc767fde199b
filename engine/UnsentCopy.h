#pragma once
// A stored message turned back into a clean unsent one: a fixed header marked
// "X-Unsent: 1" and the stored body and parts from the first boundary on. A message
// without a boundary (one plain part) keeps its own Content-Type and
// Content-Transfer-Encoding lines in place of the multipart ones, then its body.

#include <optional>
#include <string>
#include <string_view>

namespace mailvane::engine {

class UnsentCopy {
 public:
  // What a copy is made of, for writing it out without holding it in memory: the header
  // (for a multipart message ending with the "--" that opens the first delimiter again),
  // and the stored text that follows it to its very end.
  struct Pieces {
    std::string header;
    std::string_view tail;
  };
  // nullopt when a boundary is given but does not occur twice in the source (header and
  // delimiter).
  static std::optional<Pieces> pieces(std::string_view source, std::string_view boundary);

  // The two pieces joined; empty when there is no copy.
  static std::string build(std::string_view source, std::string_view boundary);
};

}  // namespace mailvane::engine
