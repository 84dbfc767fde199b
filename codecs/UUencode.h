#pragma once
// Body lines of the uuencode format (between the "begin" and "end" lines).

#include <optional>
#include <string>
#include <string_view>

namespace mailvane {

class UUencode {
 public:
  std::string Encode(std::string_view data) const;
  // nullopt when a data character is outside the alphabet (the caller writes nothing).
  std::optional<std::string> Decode(std::string_view body) const;
};

}  // namespace mailvane
