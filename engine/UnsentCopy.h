#pragma once
// A stored message turned back into a clean unsent one: a fixed header marked
// "X-Unsent: 1" and the stored body and parts from the first boundary on.

#include <optional>
#include <string>
#include <string_view>

namespace mailvane::engine {

class UnsentCopy {
 public:
  // Empty when the boundary does not occur twice in the source (header and delimiter).
  static std::string build(std::string_view source, std::string_view boundary);

  // The two pieces build joins, for writing a copy out without holding it in memory:
  // the fixed header, ending with the "--" that opens the first delimiter again ...
  static std::string header(std::string_view boundary);
  // ... and the stored message from the second occurrence of the boundary to its end;
  // nullopt when the boundary does not occur twice.
  static std::optional<std::string_view> storedTail(std::string_view source,
                                                    std::string_view boundary);
};

}  // namespace mailvane::engine
