#pragma once
// File offsets in messages are shown the way hex viewers show them.

#include <cstdint>
#include <cstdio>
#include <string>

namespace mailvane::dbx {

inline std::string hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

}  // namespace mailvane::dbx
