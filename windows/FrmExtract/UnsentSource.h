#pragma once
// The message copy this window writes when "Save as unsent" is chosen: the stored source
// cut to start at its MIME-Version line, and, for a multi-part message whose boundary is
// quoted, the header after the boundary parameter replaced by the lines that mark a
// message as not yet sent.

#include <string>
#include <string_view>

namespace mailvane {

class UnsentSource {
 public:
  static std::string rewrite(std::string_view source);
};

}  // namespace mailvane
