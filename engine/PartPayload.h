#pragma once
// The bytes a part stands for, decoded from its payload. Parts the rules recorded decode
// by their `encoding` ("Base64", "uuencode", "7bit"); parts the structure pass added
// decode by the transfer encoding their message states, as mail readers decode it.

#include <optional>
#include <string>

#include "engine/Records.h"

namespace mailvane::engine {

class PartPayload {
 public:
  // nullopt when the part has no bytes to give (an encoding the rules do not write, or a
  // uuencode body that does not decode).
  static std::optional<std::string> decode(const nlMail& part);
};

}  // namespace mailvane::engine
