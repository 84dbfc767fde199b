#include <gtest/gtest.h>

#include "engine/SrParser.h"
#include "tests/engine/EngineTestSupport.h"

namespace mailvane {
namespace {

using test::crlf;

std::string textOf(const std::string& message) {
  SrParser p;
  p.Text = "previous";
  p.Getall(message);
  return p.Text.str();
}

TEST(Gettextpart, SinglePartMessageKeepsItsWholeBody) {
  EXPECT_EQ(textOf(crlf("Subject: s\n\nline one\nline two\n")), crlf("line one\nline two\n"));
  EXPECT_EQ(textOf("Subject: no body at all"), "");
}

TEST(Gettextpart, TextPartEndsAtTheNextDelimiterOfAnyDeclaredBoundary) {
  // Outlook Express style.
  EXPECT_EQ(textOf(crlf("Content-Type: multipart/alternative;\n\tboundary=\"----=_NextPart_000\"\n\n"
                        "------=_NextPart_000\nContent-Type: text/plain;\n\tcharset=\"iso-8859-1\"\n"
                        "Content-Transfer-Encoding: quoted-printable\n\nK=F8benhavn=\n!\n\n"
                        "------=_NextPart_000\nContent-Type: text/html\n\n<html></html>\n")),
            crlf("K\xF8" "benhavn!\n\n"));
  // Another client's boundary style, nested inside a mixed message.
  EXPECT_EQ(textOf(crlf("Content-Type: multipart/mixed; boundary=outer\n\n--outer\n"
                        "Content-Type: multipart/alternative; boundary=\"Apple-Mail=_1\"\n\n"
                        "--Apple-Mail=_1\nContent-Type: text/plain; charset=us-ascii\n"
                        "Content-Transfer-Encoding: 7bit\n\nHello\n--Apple-Mail=_1--\n\n--outer--\n")),
            crlf("Hello\n"));
}

TEST(Gettextpart, Base64TextIsDecodedAndAMissingEncodingHeaderStillReads) {
  EXPECT_EQ(textOf(crlf("Content-Type: multipart/alternative; boundary=\"b\"\n\n--b\n"
                        "Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: BASE64\n\n"
                        "SGVsbG8gd29ybGQ=\n--b--\n")),
            "Hello world");
  // A plain single-part message often has no encoding header at all; it runs to the
  // end of the message and keeps its last character.
  EXPECT_EQ(textOf(crlf("Content-Type: text/plain; charset=us-ascii\n\nHi =3D there.")),
            "Hi = there.");
  // An encoding header of a later part does not move the start of the text.
  EXPECT_EQ(textOf(crlf("Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\n"
                        "Content-Type: text/plain;\n\nfirst\n--b\nContent-Type: image/gif\n"
                        "Content-Transfer-Encoding: base64\n\nR0lG\n--b--\n")),
            crlf("first\n"));
}

TEST(Gettextpart, TextPartWithoutHeaderEndKeepsThePreviousText) {
  EXPECT_EQ(textOf("Content-Type: text/plain; charset=x\r\nno blank line"), "previous");
}

}  // namespace
}  // namespace mailvane
