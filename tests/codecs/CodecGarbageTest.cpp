// Arbitrary bytes through every codec operation: each call must return a result of a
// sane size or the empty result, and never crash or read past its input (the sanitizer
// build checks the latter).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "CodecTestSupport.h"
#include "codecs/Base64.h"
#include "codecs/UUencode.h"

namespace mailvane {
namespace {

using namespace std::string_literals;
using mailvane::testing::fixture;
using mailvane::testing::randomBytes;

struct Garbage {
  const char* name;
  std::function<std::string()> make;
};

std::string allByteValues() {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  return bytes;
}

const std::vector<Garbage>& garbage() {
  static const std::vector<Garbage> cases = {
      {"random small", [] { return randomBytes(97, 1); }},
      {"random large", [] { return randomBytes(200'000, 2); }},
      {"all byte values", allByteValues},
      {"only NULs", [] { return std::string(1000, '\0'); }},
      {"NULs between lines", [] { return "M\0\0\r\n\0\r\0\n"s + std::string(70, '\0'); }},
      {"huge line", [] { return std::string(3'000'000, 'M'); }},
      {"huge line of high bytes", [] { return std::string(1'000'000, '\xFF'); }},
      {"only line ends", [] { return std::string(5000, '\n') + std::string(5000, '\r'); }},
      {"only padding", [] { return std::string(777, '='); }},
      {"length characters alone", [] { return "M\r\n_\r\n\x7F\r\n~\n"s; }},
      {"lower-case length characters", [] { return "a\nz\n{\n\x7F\n"s; }},
      {"truncated picture forms",
       [] { return fixture("picture.png.b64").substr(0, 501) + fixture("picture.png.uu").substr(0, 333); }},
  };
  return cases;
}

TEST(CodecGarbage, Base64DecodesWithinBoundsAndRoundTrips) {
  const Base64 codec;
  for (const Garbage& g : garbage()) {
    const std::string input = g.make();
    const auto decoded = codec.DecodeArr(input);
    // Three characters left over give two bytes.
    EXPECT_LE(decoded.value_or("").size(), input.size() / 4 * 3 + 2) << g.name;
    EXPECT_EQ(codec.DecodeArr(codec.EncodeArr(input)).value_or(""), input) << g.name;
  }
}

TEST(CodecGarbage, UUencodeDecodesWithinBoundsAndRoundTrips) {
  const UUencode codec;
  for (const Garbage& g : garbage()) {
    const std::string input = g.make();
    // At most 95 bytes for every length character (each needs a line end after it) or
    // for every 61-character block.
    EXPECT_LE(codec.Decode(input).value_or("").size(), (input.size() / 2 + 1) * 95) << g.name;
    EXPECT_EQ(codec.Decode(codec.Encode(input)), input) << g.name;
  }
}

TEST(CodecGarbage, EveryPrefixOfTheEncodedPictureDecodesSafely) {
  const Base64 base64;
  const UUencode uu;
  const std::string b64 = fixture("picture.png.b64");
  const std::string body = fixture("picture.png.uu");
  for (size_t n = 0; n <= b64.size(); ++n) (void)base64.DecodeArr(std::string(b64, 0, n));
  for (size_t n = 0; n <= body.size(); ++n) (void)uu.Decode(std::string(body, 0, n));
}

}  // namespace
}  // namespace mailvane
