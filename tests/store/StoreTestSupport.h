#pragma once
// Message texts and store folders built by the store tests.

#include <string>
#include <string_view>

#include "tests/system/SystemTestSupport.h"

namespace mailvane::store::test {

using system::test::readFile;
using system::test::TempDir;
using system::test::writeFile;

// Every byte value, several times over, with CR and LF in odd places: a binary payload
// that any line-end or charset conversion would change.
inline std::string binaryPayload() {
  std::string bytes;
  for (int round = 0; round < 7; ++round) {
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>((b * 7 + round) & 0xFF));
    bytes += "\r\n\n\r";
  }
  return bytes;
}

// A simple message with a subject and a plain-text body.
inline std::string plainMessage(std::string_view subject, std::string_view body = "Hello.") {
  return "From: ann@example.com\r\nSubject: " + std::string(subject) +
         "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n" +
         std::string(body) + "\r\n";
}

}  // namespace mailvane::store::test
