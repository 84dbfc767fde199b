#pragma once
// Text from a store or a message on its way to a terminal.

#include <string>

namespace mailvane::cli {

// Control characters would reach the terminal as commands, so they are shown as "?".
inline std::string printable(std::string text) {
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = '?';
  }
  return text;
}

}  // namespace mailvane::cli
