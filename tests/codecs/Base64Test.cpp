#include "codecs/Base64.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "CodecTestSupport.h"
#include "codecs/Base64Decoder.h"

namespace mailvane {
namespace {

using namespace std::string_literals;

const Base64 codec;

// The decoding rules written out literally, one step after another, as a slow
// reference for the one-pass decoder.
std::optional<std::string> referenceDecode(std::string text) {
  std::string kept;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "\r\n") == 0) {
      ++i;
      continue;
    }
    kept += text[i];
  }
  std::erase(kept, '=');
  if (kept.empty()) return std::nullopt;
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  auto value = [&](size_t i) -> unsigned {
    if (i >= kept.size()) return 0;
    const size_t at = alphabet.find(kept[i]);
    return at == std::string::npos ? 0 : static_cast<unsigned>(at);
  };
  std::string out;
  for (size_t i = 0; i < kept.size(); i += 4) {
    const size_t left = kept.size() - i;
    if (left == 1) {
      out += '\0';
      break;
    }
    out += static_cast<char>((value(i) << 2) | (value(i + 1) >> 4));
    if (left >= 3) out += static_cast<char>(((value(i + 1) & 15) << 4) | (value(i + 2) >> 2));
    if (left >= 4) out += static_cast<char>(((value(i + 2) & 3) << 6) | value(i + 3));
  }
  return out;
}

TEST(Base64Encode, LastGroupIsPaddedBySize) {
  EXPECT_EQ(codec.Encode("Man"), "TWFu");
  EXPECT_EQ(codec.Encode("Ma"), "TWE=");
  EXPECT_EQ(codec.Encode("M"), "TQ==");
  EXPECT_EQ(codec.Encode(""), "");
  EXPECT_EQ(codec.EncodeArr("\xFF\xEF\x00"s), "/+8A");
}

TEST(Base64Encode, BreaksAfterEveryFull76CharacterLineOnlyWhenLonger) {
  const std::string line76 = codec.EncodeArr(std::string(57, 'a'));
  EXPECT_EQ(line76.size(), 76u);
  EXPECT_EQ(line76.find('\r'), std::string::npos);

  const std::string text58 = codec.EncodeArr(std::string(58, 'a'));
  EXPECT_EQ(text58.size(), 76u + 2 + 4);
  EXPECT_EQ(text58.substr(76, 2), "\r\n");
  EXPECT_EQ(text58.substr(78), "YQ==");

  const std::string text114 = codec.EncodeArr(std::string(114, 'a'));
  EXPECT_EQ(text114, line76 + "\r\n" + line76 + "\r\n");
}

TEST(Base64Encode, EveryLengthRoundTripsWithFullLinesOf76) {
  for (size_t size = 1; size < 400; ++size) {
    const std::string bytes = mailvane::testing::randomBytes(size, static_cast<unsigned>(size));
    const std::string text = codec.EncodeArr(bytes);
    size_t lineStart = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", lineStart)) {
      ASSERT_EQ(at - lineStart, 76u) << "size " << size;
      lineStart = at + 2;
    }
    // A full last line is followed by CR LF as well, unless it is the only line.
    ASSERT_LE(text.size() - lineStart, text.size() > 76 ? 75u : 76u) << "size " << size;
    ASSERT_EQ(codec.DecodeArr(text), bytes) << "size " << size;
  }
}

TEST(Base64Decode, SeparatedLinesAndPaddingJoinUp) {
  EXPECT_EQ(codec.Decode("TWFu\r\nTWE="), "ManMa");
  EXPECT_EQ(codec.Decode("TW=Fu"), "Man");
  EXPECT_EQ(codec.Decode("TQ=="), "M");
}

TEST(Base64Decode, ForeignCharactersKeepTheirPlaceAsZero) {
  // The space stands for 0 and shifts the rest; the lone "u" gives a zero byte.
  const std::string expected = {'M', '\x60', '\x05', '\x00'};
  EXPECT_EQ(codec.Decode("TW Fu"), expected);
  // A lone LF or CR is no line break and counts like the space.
  EXPECT_EQ(codec.Decode("TW\nFu"), expected);
  EXPECT_EQ(codec.Decode("TW\rFu"), expected);
  EXPECT_EQ(codec.Decode("TWFuT"), "Man"s + '\0');
}

TEST(Base64Decode, NothingLeftAfterRemovalIsAnError) {
  EXPECT_EQ(codec.Decode(""), std::nullopt);
  EXPECT_EQ(codec.Decode("=="), std::nullopt);
  EXPECT_EQ(codec.Decode("==\r\n=\r\n\r\n"), std::nullopt);
  // What is left after the removals is data, even if it is only a lone CR.
  EXPECT_EQ(codec.Decode("\r\r\n"), std::string(1, '\0'));
}

TEST(Base64Decode, MatchesTheLiteralRulesOnMixedInput) {
  std::mt19937 rng(7);
  for (unsigned round = 0; round < 3000; ++round) {
    const std::string text = mailvane::testing::mixedBase64Text(rng() % 120, round);
    ASSERT_EQ(codec.DecodeArr(text), referenceDecode(text)) << "round " << round;
  }
}

// Long runs of the alphabet (where whole blocks are decoded at once) broken by every
// kind of character that must leave a block to the byte-wise path, at every offset.
TEST(Base64Decode, BlockAndByteWisePathsAgreeWithTheLiteralRules) {
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::mt19937 rng(3);
  std::vector<std::string> texts;
  for (unsigned c = 0; c < 256; ++c)
    for (size_t at : {0u, 5u, 31u, 32u, 33u, 63u, 95u}) {
      std::string text;
      for (size_t i = 0; i < 130; ++i) text += alphabet[rng() % alphabet.size()];
      text[at] = static_cast<char>(c);
      texts.push_back(text);
    }
  for (unsigned round = 0; round < 300; ++round) {
    std::string text;
    while (text.size() < 600) {
      const size_t run = rng() % 120;
      for (size_t i = 0; i < run; ++i) text += alphabet[rng() % alphabet.size()];
      text += mailvane::testing::mixedBase64Text(1 + rng() % 3, round);
    }
    texts.push_back(text);
  }
  for (const bool wide : {true, false}) {
    detail::Base64Decoder::setWideEnabled(wide);
    for (size_t t = 0; t < texts.size(); ++t)
      ASSERT_EQ(codec.DecodeArr(texts[t]), referenceDecode(texts[t])) << "text " << t << " wide " << wide;
  }
  detail::Base64Decoder::setWideEnabled(true);
}

TEST(Base64Decode, DecodingInPiecesMatchesDecodingWhole) {
  // Files are written piece by piece: groups and CR LF pairs cut at any edge must join.
  std::string text = mailvane::testing::mixedBase64Text(3000, 11);
  for (int line = 0; line < 40; ++line) text += codec.EncodeArr(std::string(57, static_cast<char>(line))) + "\r\n";
  const std::string whole = codec.DecodeArr(text).value();
  for (size_t piece : {1, 2, 3, 4, 5, 6, 7, 8, 9, 31, 32, 33, 77, 1000}) {
    detail::Base64Decoder decoder(text);
    std::string joined, buffer(detail::Base64Decoder::maxDecodedSize(piece), '\0');
    while (!decoder.done())
      joined.append(buffer.data(), decoder.decodeUntil(decoder.position() + piece, buffer.data()));
    joined.append(buffer.data(), decoder.finish(buffer.data()));
    EXPECT_EQ(joined, whole) << "pieces of " << piece;
  }
}

}  // namespace
}  // namespace mailvane
