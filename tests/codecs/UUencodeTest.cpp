#include "codecs/UUencode.h"

#include <gtest/gtest.h>

#include <string>

#include "CodecTestSupport.h"

namespace mailvane {
namespace {

using namespace std::string_literals;

const UUencode codec;

// "Man" as four data characters.
const std::string kMan = "36%N";

std::string fullLine(char fill = '!') { return "M" + std::string(60, fill); }

TEST(UUencodeEncode, LengthCharactersCountRealBytesAndTheTextEndsWithAGraveAccent) {
  EXPECT_EQ(codec.Encode("Man"), "#" + kMan + "\r\n`");
  EXPECT_EQ(codec.Encode(""), " \r\n`");
  // A line that ends exactly full is followed by a line of no bytes.
  const std::string full = codec.Encode(std::string(45, 'M'));
  EXPECT_EQ(full.substr(0, 1), "M");
  EXPECT_EQ(full.substr(61), "\r\n \r\n`");
  // Padding bytes fill the last group but are not counted.
  EXPECT_EQ(codec.Encode("Ma"), "\"36$`\r\n`");
}

TEST(UUencodeDecode, ShortLastLineWithOrWithoutTheGraveAccentLine) {
  EXPECT_EQ(codec.Decode("#" + kMan), "Man");
  EXPECT_EQ(codec.Decode("#" + kMan + "\r\n`"), "Man");
  EXPECT_EQ(codec.Decode("#" + kMan + "\r\n`\r\n"), "Man");
  EXPECT_EQ(codec.Decode(""), "");
  EXPECT_EQ(codec.Decode("\r\n"), "");
}

TEST(UUencodeDecode, FullLinesAndALastLineGiveTheirByteCounts) {
  const std::string last = "%" + kMan + kMan;
  EXPECT_EQ(codec.Decode(fullLine() + "\r\n" + fullLine() + "\r\n" + last)->size(), 95u);
  // Without line ends the 61-character blocks say where each line starts.
  EXPECT_EQ(codec.Decode(fullLine() + fullLine() + last)->size(), 95u);

  for (const std::string& body : {fullLine(), fullLine() + "`", fullLine() + "\r\n`", fullLine() + "\n"})
    EXPECT_EQ(codec.Decode(body)->size(), 45u) << body;
}

TEST(UUencodeDecode, DataAboveTheAlphabetFailsOnlyInTheFirstThreePlaces) {
  EXPECT_EQ(codec.Decode("#a6%N"), std::nullopt);
  EXPECT_EQ(codec.Decode("#3a%N"), std::nullopt);
  EXPECT_EQ(codec.Decode("#36a N\r\n`"), std::nullopt);
  // The fourth character is added unchecked.
  EXPECT_TRUE(codec.Decode("#36%a").has_value());
  // Without line ends, every block is checked in full, past the last line's bytes too.
  EXPECT_EQ(codec.Decode("#" + kMan + "abcd"), std::nullopt);
}

TEST(UUencodeDecode, EachLineIsReadByItsOwnLengthCharacter) {
  // A short interior line: the old block rule would misalign everything after it.
  EXPECT_EQ(codec.Decode("#" + kMan + "\n#" + kMan + "\n`\n"), "ManMan");
  // Characters missing at the end of a short line count as 0.
  EXPECT_EQ(codec.Decode("&" + kMan + "\r\n`"), "Man\0\0\0"s);
  // Extra characters after what the length asks for are ignored.
  EXPECT_EQ(codec.Decode("\"" + kMan + "XYZ!\r\n`"), "Ma");
  // A line of 0 bytes ends the data, whatever follows; empty lines are skipped.
  EXPECT_EQ(codec.Decode("#" + kMan + "\r\n\r\n#" + kMan + "\r\n \r\n#" + kMan), "ManMan");
}

TEST(UUencodeRoundTrip, EveryLengthComesBackExactlyIncludingTheLastGroupOfALine) {
  // Lengths of 43 or 44 more than a multiple of 45 pad a full last line: the decoder
  // must not hand the padding back as data.
  for (size_t size = 0; size <= 3 * 45 + 2; ++size) {
    const std::string bytes = mailvane::testing::randomBytes(size, static_cast<unsigned>(size) + 100);
    ASSERT_EQ(codec.Decode(codec.Encode(bytes)), bytes) << "size " << size;
  }
  const std::string padded44 = std::string(44, '\x7F');
  EXPECT_EQ(codec.Decode(codec.Encode(padded44))->size(), 44u);
}

}  // namespace
}  // namespace mailvane
