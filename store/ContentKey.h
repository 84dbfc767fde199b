#pragma once
// A message's identity for "is it there already": the MD5 of its bytes in hex. Equal keys
// are taken as equal messages, so a repeat export never writes one twice.

#include <string>
#include <string_view>

namespace mailvane::store {

// The key of the concatenated pieces.
std::string contentKey(std::string_view bytes, std::string_view more = {});

}  // namespace mailvane::store
