#include <gtest/gtest.h>

#include "engine/SrParser.h"
#include "tests/engine/EngineTestSupport.h"

namespace mailvane {
namespace {

using test::crlf;

TEST(Getit, ValueRunsToLineEndTrimmedOfSpacesOnly) {
  EXPECT_EQ(SrParser::Getit("Subject:", "\r\n", crlf("Subject:  \tHi there  \nX: y\n")),
            "\tHi there");
  // A field that ends its own line takes the next line, and wins over an earlier one.
  EXPECT_EQ(SrParser::Getit("Subject:", "\r\n", crlf("Subject: first\nSubject:\n\tsecond\n")),
            "\tsecond");
  // Found anywhere, not only at a line start.
  EXPECT_EQ(SrParser::Getit("To:", "\r\n", crlf("Reply-To: alpha\nTo: beta\n")), "alpha");
  // Without an end marker in reach the value runs to the end of the text.
  EXPECT_EQ(SrParser::Getit("A:", "\r\n", "A: tail"), "tail");
  // The end marker is found without regard to case.
  EXPECT_EQ(SrParser::Getit("k=", "X", "k=abxcd"), "ab");
}

TEST(Getit, MissingFieldReadsFromFieldLengthMinusOne) {
  EXPECT_EQ(SrParser::Getit("boundary=\"", "\"", "boundary=abc; x=\"q\""), "abc; x=");
  EXPECT_EQ(SrParser::Getit("Nope:", "\r\n", "abcdefgh"), "efgh");
  EXPECT_EQ(SrParser::Getit("Longer-than-text:", "\r\n", "abc"), "");
}

TEST(IdentifyMailheader, ReadsEveryFieldOfTheTable) {
  SrParser p;
  p.identify_mailheader(crlf(
      "Return-Path: <r@x>\nFrom: Ann <a@x>\nReply-To: alpha\nTo: beta\n"
      "Date: Mon, 1 Jan 2007\nSubject: Hello\nMIME-Version: 1.0\nLines: 12\n"
      "Content-Type: multipart/related;\n\tboundary=\"----=_NextPart_000_0010_01C8\"\n"
      "X-Mailer: Mailer 6\nX-Newsreader: Reader\nContent-transfer-encoding: 8bit\n\nbody\n"));
  EXPECT_EQ(p.From, "Ann <a@x>");
  EXPECT_EQ(p.too, "alpha");
  EXPECT_EQ(p.returnpath, "<r@x>");
  EXPECT_EQ(p.maildate, "Mon, 1 Jan 2007");
  EXPECT_EQ(p.Subject, "Hello");
  EXPECT_EQ(p.Mimeversion, "1.0");
  EXPECT_EQ(p.Lines, "12");
  EXPECT_EQ(p.grenze, "----=_NextPart_000_0010_01C8");
  EXPECT_EQ(p.Xmailer, "Mailer 6");
  EXPECT_EQ(p.Contenttransferencoding, "8bit");
}

TEST(IdentifyMailheader, MissingHeadersKeepEarlierValuesButClientAndSizeAreAlwaysSet) {
  SrParser p;
  p.identify_mailheader(crlf("Lines: 12\nX-Newsreader: Reader\nSubject: one\n\n"));
  EXPECT_EQ(p.Xmailer, "Reader");
  p.identify_mailheader(crlf("Subject: two\nContent-Transfer-Encoding: base64\n\n"));
  EXPECT_EQ(p.Lines, "12");
  EXPECT_EQ(p.Subject, "two");
  EXPECT_EQ(p.Xmailer, "Email client unknown!");
  EXPECT_EQ(p.Contenttransferencoding, "");  // the usual capitals do not count
  EXPECT_EQ(p.MailSize, "51 Bytes");
  p.identify_mailheader(std::string(2048, 'x'));
  EXPECT_EQ(p.MailSize, "2.00 KB");
}

TEST(Formatsize, ThresholdsAndRounding) {
  EXPECT_EQ(SrParser::Formatsize(0), "0 Bytes");
  EXPECT_EQ(SrParser::Formatsize(1023), "1023 Bytes");
  EXPECT_EQ(SrParser::Formatsize(1024), "1.00 KB");
  EXPECT_EQ(SrParser::Formatsize(1536), "1.50 KB");
  EXPECT_EQ(SrParser::Formatsize(1152), "1.13 KB");  // 1.125: a tie rounds up
  EXPECT_EQ(SrParser::Formatsize(1048575), "1024.00 KB");
  EXPECT_EQ(SrParser::Formatsize(1048576), "1.00 MB");
  EXPECT_EQ(SrParser::Formatsize(1073741824), "1.00 GB");
  EXPECT_EQ(SrParser::Formatsize(2147483647), "2.00 GB");
}

}  // namespace
}  // namespace mailvane
