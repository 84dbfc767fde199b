#pragma once
// A stored message turned back into a clean unsent one: a fixed header marked
// "X-Unsent: 1" and the stored body and parts from the first boundary on.

#include <string>
#include <string_view>

namespace mailvane::engine {

class UnsentCopy {
 public:
  // Empty when the boundary does not occur twice in the source (header and delimiter).
  static std::string build(std::string_view source, std::string_view boundary);
};

}  // namespace mailvane::engine
