#pragma once
// Small helpers shared by the codec tests: fixture files and private temporary folders.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "tests/support/TempDir.h"

namespace mailvane::testing {

inline std::string readBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string fixture(const char* name) {
  return readBytes(std::filesystem::path(MAILVANE_TEST_DATA) / "codecs" / name);
}

inline std::string randomBytes(size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(rng() & 0xFF);
  return bytes;
}

// Base64-like text with line breaks, lone CR and LF, "=" and foreign bytes sprinkled in,
// so that groups are split at every possible place.
inline std::string mixedBase64Text(size_t pieces, unsigned seed) {
  static const std::string special[] = {"\r\n", "\r", "\n", "=", " ", "\x80", std::string(1, '\0')};
  static const std::string plain = "AZaz09+/QWERTYuiop";
  std::mt19937 rng(seed);
  std::string text;
  for (size_t i = 0; i < pieces; ++i) {
    const unsigned pick = rng() % 32;
    if (pick < 7) text += special[pick];
    else text += plain[pick % plain.size()];
  }
  return text;
}

}  // namespace mailvane::testing
