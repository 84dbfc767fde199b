#include "codecs/MimeDecoders.h"

#include <gtest/gtest.h>

#include <string>

namespace mailvane {
namespace {

using namespace std::string_literals;

using Case = std::pair<std::string, std::string>;  // input, decoded bytes

TEST(MimeDecoders, Base64SkipsForeignCharactersAndStopsAtClosingPadding) {
  const Case cases[] = {
      {"", ""},
      {"QUJD", "ABC"},
      {"QU\nJD\r\nREVG\r\n", "ABCDEF"},             // line ends of either kind
      {" Q U J D ", "ABC"},                         // spaces
      {"Q!U*J\tD\x80R\0EVG"s, "ABCDEF"},            // punctuation, high bytes, NUL
      {"QUI=", "AB"},
      {"QQ==", "A"},
      {"QQ==QUJD", "A"},                            // nothing after the closing padding
      {"QQ=\r\n=QUJD", "A"},                        // padding split over two lines
      {"=QUJD", "ABC"},                             // a stray "=" closes no group
      {"QU=JD", "ABC"},                             // "=" after two chars closes nothing yet
      {"QUJDRA", "ABCD"},                           // two chars of a last group: one byte
      {"QUJDREU", "ABCDE"},                         // three chars: two bytes
      {"QUJDR", "ABC"},                             // one char: nothing
      {"QQ=", "A"},                                 // unfinished padding at the end
      {"+/+/", "\xFB\xFF\xBF"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(MimeDecoders::Base64Bytes(in), out) << in;
}

TEST(MimeDecoders, QuotedPrintableDecodesEscapesAndSoftBreaksKeepsTheRest) {
  const Case cases[] = {
      {"", ""},
      {"a=3Db", "a=b"},
      {"=C3=A9 =c3=a9 =C3=a9", "\xC3\xA9 \xC3\xA9 \xC3\xA9"},  // either case of hex digit
      {"=00", "\0"s},
      {"soft=\r\nbreak", "softbreak"},
      {"soft=\nbreak", "softbreak"},
      {"a=\r\n=\r\nb", "ab"},
      {"a==b", "a=b"},
      {"===41", "=A"},
      {"=ZZ =G1 =4", "=ZZ =G1 =4"},        // bad escapes stay as they are
      {"=4\r\nx", "=4\r\nx"},
      {"line\r\nnext\nlast  \r\n", "line\r\nnext\nlast  \r\n"},  // line ends, trailing spaces
      {"end=", "end"},                     // a soft break at the very end
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(MimeDecoders::QuotedPrintableBytes(in), out) << in;
}

}  // namespace
}  // namespace mailvane
