#include <gtest/gtest.h>

#include "codecs/UUencode.h"
#include "engine/SrParser.h"
#include "tests/engine/EngineTestSupport.h"

namespace mailvane {
namespace {

using test::crlf;

// Encoder output with plain "\n" line ends, to be put inside crlf() texts.
std::string uu(std::string_view data) {
  std::string lines = UUencode().Encode(data);
  std::erase(lines, '\r');
  return lines;
}

struct Parsed {
  SrParser parser;
  std::vector<int> progress;
  explicit Parsed(const std::string& message) {
    parser.Progress = [this](int32_t p) { progress.push_back(p); };
    parser.Source = message;
    parser.Getall(message);
  }
  const nlMail& part(int i) const { return *parser.mailfiles->item(i); }
  int count() const { return parser.mailfiles->Count(); }
};

const std::string kHead =
    "From: a@x\nSubject: s\nContent-Type: multipart/mixed; boundary=\"----=_NextPart_001\"\n\n";

TEST(Getall, OneSegmentNewsWithBegin644GetsItsNameAndData) {
  const std::string data = uu("hello");
  Parsed p(crlf("Subject: pics\nLines: 3\n\nsee\nbegin 644 pic.jpg\n" + data + "\nend\n"));
  ASSERT_EQ(p.count(), 1);
  EXPECT_EQ(p.part(1).Filename, "pic.jpg");
  EXPECT_EQ(p.part(1).OrgFilename, "begin 644 pic.jpg");
  EXPECT_EQ(p.part(1).encoding, "uuencode");
  EXPECT_EQ(UUencode().Decode(p.part(1).BaseContent), "hello");
  EXPECT_EQ(p.progress, std::vector<int>{0});  // one segment: the previous figure, 0
}

TEST(Getall, ProgressOncePerSegmentRoundedHalfToEven) {
  std::string message = kHead;
  for (int i = 0; i < 7; ++i) message += "--x\nContent-Type: text/plain\n\nt\n";
  Parsed p(crlf(message));  // 9 segments after the filter: divisor 8
  EXPECT_EQ(p.progress, (std::vector<int>{0, 12, 25, 38, 50, 62, 75, 88, 100}));
}

TEST(Getall, SingleSegmentRepeatsTheLastFigureOfTheSameParser) {
  SrParser parser;
  std::vector<int> seen;
  parser.Progress = [&](int32_t p) { seen.push_back(p); };
  parser.Getall(crlf(kHead + "--x\nContent-Type: text/plain\n\nt\n"));
  parser.Getall("no content type at all");
  EXPECT_EQ(seen, (std::vector<int>{0, 50, 100, 100}));
}

TEST(Getall, SegmentsFollowTheLiteralsAndFilters) {
  // Lower-case content-type does not cut (cut there, neither half would be a named
  // base64 part); capitals of Content-Location are still dropped, so that line's name
  // never names the part.
  Parsed lower(crlf("Subject: s\n\nContent-Type: image/gif\n"
                    "Content-Transfer-Encoding: base64\nCONTENT-LOCATION: name=\"loc.gif\"\n"
                    "content-type: x; name=\"a.gif\"\n\nQUJD\n"));
  ASSERT_EQ(lower.count(), 1);
  EXPECT_EQ(lower.part(1).Filename, "a.gif");
  // When every segment is a multipart/related one, the walk keeps them all.
  Parsed related(crlf("X-Kind: multipart/related;\nContent-Type: multipart/related; name=\"r.gif\"\n"
                      "Content-Transfer-Encoding: base64\n\nQUJD\n"));
  ASSERT_EQ(related.count(), 1);
  EXPECT_EQ(related.part(1).Filename, "r.gif");
}

TEST(Getall, DeclaredNameIsTheFirstNameParameter) {
  Parsed p(crlf(kHead +
                "------=_NextPart_001\nContent-Type: image/png; name=\"inline.png\"\n"
                "Content-Transfer-Encoding: base64\n\nQUJD\n"
                "------=_NextPart_001\nContent-Type: image/gif\n"
                "Content-Disposition: attachment; filename=\"a.gif\"\n"
                "Content-Transfer-Encoding: base64\n\nQUJD\n"
                "------=_NextPart_001\nContent-Type: image/gif; name=bare.gif; x=1\n"
                "Content-Transfer-Encoding: base64\n\nQUJD\n"
                "------=_NextPart_001\nContent-Type: image/gif;\n\tNAME=\"Re: x y.gif\"\n"
                "Content-Transfer-Encoding: base64\n\nQUJD\n------=_NextPart_001--\n"));
  ASSERT_EQ(p.count(), 4);
  EXPECT_EQ(p.part(1).Filename, "inline.png");
  EXPECT_EQ(p.part(2).Filename, "a.gif");
  EXPECT_EQ(p.part(3).Filename, "bare.gif");
  EXPECT_EQ(p.part(4).OrgFilename, "Re: x y.gif");
  EXPECT_EQ(p.part(4).Filename, "xy.gif");
}

TEST(Getall, Base64PayloadEndsWhereTheDataEnds) {
  Parsed p(crlf(kHead +
                "------=_NextPart_001\nContent-Type: image/gif; name=\"a.gif\"\n"
                "Content-Transfer-Encoding: base64\nContent-ID: <id1>\n\nQUJD\nRA==\n\n"
                "------=_NextPart_001\nContent-Type: image/gif; name=\"b.gif\"\n"
                "Content-Transfer-Encoding: base64\n\nQUJD\n------=_NextPart_001--\n"
                "------=_NextPart_001\nContent-Type: image/gif\n"
                "Content-Transfer-Encoding: base64\n\nQUJD\n"));
  ASSERT_EQ(p.count(), 2);  // the part without a name gives no record
  EXPECT_EQ(p.part(1).BaseContent, crlf("QUJD\nRA=="));
  EXPECT_EQ(p.part(1).contID, "<id1>");
  EXPECT_EQ(p.part(1).encoding, "Base64");
  EXPECT_EQ(p.part(2).BaseContent, "QUJD");
}

TEST(Getall, ContentIdCountsOnlyAfterTheEncodingHeader) {
  Parsed p(crlf(kHead +
                "------=_NextPart_001\nContent-Type: image/gif; name=\"a.gif\"\n"
                "Content-ID: <before>\nContent-Transfer-Encoding: base64\n\nQUJD\n"));
  ASSERT_EQ(p.count(), 1);
  EXPECT_EQ(p.part(1).contID, "");
}

TEST(Getall, SevenBitPayloadKeepsEveryParagraph) {
  Parsed p(crlf(kHead +
                "------=_NextPart_001\nContent-Type: text/plain; name=\"n.txt\"\n"
                "Content-Transfer-Encoding: 7bit\n\nfirst\n\nsecond\n\n"
                "------=_NextPart_001--\n"));
  ASSERT_EQ(p.count(), 1);
  EXPECT_EQ(p.part(1).encoding, "7bit");
  EXPECT_EQ(p.part(1).BaseContent, crlf("first\n\nsecond\n"));
}

TEST(Getall, QuotedPrintablePartsGetNoRuleRecordOnlyAStructureOne) {
  Parsed p(crlf(kHead + "------=_NextPart_001\nContent-Type: text/plain; name=\"q.txt\"\n"
                        "Content-Transfer-Encoding: quoted-printable\n\nbegin 666 x\n"));
  ASSERT_EQ(p.count(), 1);  // not a uuencode block: the rules stop at quoted-printable
  EXPECT_TRUE(p.part(1).fromStructure);
  EXPECT_EQ(p.part(1).encoding, "quoted-printable");
  EXPECT_EQ(p.part(1).Filename, "q.txt");
}

TEST(Getall, UuencodeNeedsAWideHeaderOrABeginLine) {
  Parsed narrowOnly(crlf(kHead + "--x\nContent-Type: application/octet-stream; name=\"u.bin\"\n"
                                 "Content-Transfer-Encoding: uuencode\n\n#86)C\n"));
  EXPECT_EQ(narrowOnly.count(), 0);
  const std::string body = uu("abc");
  Parsed both(crlf(kHead + "--x\nContent-Type: application/octet-stream; name=\"u.bin\"\n"
                           "Content-Transfer-Encoding: uuencode\n"
                           "X-Note: Content-Transfer-Encoding:  uuencode\n\n"
                           "begin 600 u.bin\n" + body + "\nend\n"));
  ASSERT_EQ(both.count(), 1);
  EXPECT_EQ(both.part(1).Filename, "u.bin");
  EXPECT_EQ(UUencode().Decode(both.part(1).BaseContent), "abc");
}

TEST(Getall, UuencodeDataEndsAtTheEndLineInAnyCase) {
  // "END" is valid data: only a line that is "end" ends the block.
  Parsed p(crlf("Subject: s\n\nBEGIN 666 x.txt\n#END!\n`\nEND  \ntrailer\n"));
  ASSERT_EQ(p.count(), 1);
  EXPECT_EQ(p.part(1).OrgFilename, "begin 666 x.txt");
  EXPECT_EQ(p.part(1).Filename, "x.txt");
  EXPECT_EQ(p.part(1).BaseContent, crlf("#END!\n`"));
}

TEST(Getall, EveryUuencodedBlockOfASegmentIsRecorded) {
  Parsed p(crlf("Subject: s\n\nbegin 644 first.bin\n" + uu("one") +
                "\nend\ntext\nbegin 666 second.bin\n" + uu("two") +
                "\nend\nbegin 644 third.bin\n" + uu("three") + "\nend\n"));
  ASSERT_EQ(p.count(), 3);
  // The "begin 666" block comes first, the others follow in their order.
  EXPECT_EQ(p.part(1).Filename, "second.bin");
  EXPECT_EQ(p.part(2).Filename, "first.bin");
  EXPECT_EQ(p.part(3).Filename, "third.bin");
  EXPECT_EQ(UUencode().Decode(p.part(3).BaseContent), "three");
}

TEST(Getall, BeginLineWithoutLineEndGivesAnInventedName) {
  Parsed p("Subject: s\r\n\r\nbegin 666 ");
  ASSERT_EQ(p.count(), 1);
  EXPECT_EQ(p.part(1).OrgFilename, "begin 666 ");
  EXPECT_FALSE(p.part(1).Filename.empty());
  EXPECT_EQ(p.part(1).Filename.find_first_not_of("-0123456789"), std::string::npos);
}

TEST(Getall, LinksAccumulateAndHeaderFieldsPersistAcrossMessages) {
  SrParser parser;
  parser.Getall(crlf("Lines: 12\n\n<html><bgsound src=\"http://h/a.MID\"></html>"));
  parser.Getall(crlf("Subject: 2\n\n<html><bgsound src=\"HTTP://h/b.wav\">"
                     "<bgsound src=\"http://H/A.mid\"></html>"));
  EXPECT_EQ(parser.Lines, "12");
  ASSERT_EQ(parser.OnlineSound.Count(), 2);
  EXPECT_EQ(*parser.OnlineSound.item(1), "http://h/a.MID");
  EXPECT_EQ(*parser.OnlineSound.item(2), "HTTP://h/b.wav");
}

}  // namespace
}  // namespace mailvane
