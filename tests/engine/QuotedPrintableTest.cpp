#include <gtest/gtest.h>

#include "engine/SrParser.h"
#include "tests/engine/EngineTestSupport.h"

namespace mailvane {
namespace {

using test::crlf;

TEST(Hexchar, OneOrTwoHexDigitsInAnyCase) {
  EXPECT_EQ(SrParser::Hexchar("3D"), "=");
  EXPECT_EQ(SrParser::Hexchar("A"), "\n");
  EXPECT_EQ(SrParser::Hexchar("e5"), "\xE5");
  EXPECT_EQ(SrParser::Hexchar("00"), std::string(1, '\0'));
  EXPECT_EQ(SrParser::Hexchar(""), "");
  EXPECT_EQ(SrParser::Hexchar("G1"), "");
  EXPECT_EQ(SrParser::Hexchar("\r\n"), "");
}

TEST(DeQuote, EscapesAndSoftBreaks) {
  SrParser p;
  EXPECT_EQ(p.deQuote("abc"), "abc");
  EXPECT_EQ(p.deQuote("a=3Db"), "a=b");
  EXPECT_EQ(p.deQuote(crlf("x=\ny")), "xy");
  EXPECT_EQ(p.deQuote(crlf("=\n=3D")), "=");
  EXPECT_EQ(p.deQuote("100 ="), "100 =");
  EXPECT_EQ(p.deQuote("K=F8benhavn =e5"), "K\xF8" "benhavn \xE5");
  EXPECT_EQ(p.deQuote("=ZZ and =A"), "=ZZ and \n");
}

// Decoding is one pass: what an escape produces is never decoded again.
TEST(DeQuote, DecodesEachEscapeOnceLeftToRight) {
  SrParser p;
  EXPECT_EQ(p.deQuote("=3D41 and =41"), "=41 and A");
  EXPECT_EQ(p.deQuote(crlf("a=3D\nb")), crlf("a=\nb"));
  // A lone digit before the next "=" is an escape of its own.
  EXPECT_EQ(p.deQuote("=4=41"), std::string("\x04") + "A");
}

TEST(Decodespes1, DecodesTheCallersTextAndTheCapitalAccentsLeftOver) {
  SrParser p;
  std::string text = "K=F8benhavn";
  EXPECT_EQ(p.Decodespes1(text), "K\xF8" "benhavn");
  EXPECT_EQ(text, "K\xF8" "benhavn");
  // "=3DE5" decodes to "=E5", which the accent table then turns into the letter;
  // a lower-case escape and one outside the table stay.
  std::string left = "=3DE5 =3De5 =3D41";
  EXPECT_EQ(p.Decodespes1(left), "\xE5 =e5 =41");
  EXPECT_EQ(left, "=E5 =e5 =41");
}

}  // namespace
}  // namespace mailvane
