#include <gtest/gtest.h>

#include <tuple>

#include "codecs/Base64.h"
#include "engine/RuleText.h"
#include "engine/SrParser.h"
#include "tests/engine/EngineTestSupport.h"

namespace mailvane {
namespace {

using engine::RuleText;
using test::crlf;
using test::readFile;
using test::TempFolder;

TEST(RuleText, PiecesOfTheCrLfReadingMapBackToTheStoredBytes) {
  const std::string stored = "A\nBB\r\nC\n\nD";
  const RuleText ruled = RuleText::of(SharedText(stored));
  ASSERT_FALSE(ruled.isStored());
  const std::string_view text = ruled.text();
  ASSERT_EQ(text, "A\r\nBB\r\nC\r\n\r\nD");
  // (position, size) of a piece of the reading, and the stored bytes it stands for
  const std::tuple<size_t, size_t, std::string_view> pieces[] = {
      {0, 1, "A"}, {0, 3, "A\n"}, {3, 2, "BB"}, {3, 5, "BB\r\nC"}, {8, 4, "\n\n"}, {12, 1, "D"},
      {0, text.size(), stored}, {5, 0, ""}};
  for (const auto& [at, size, expected] : pieces) {
    const std::string_view piece = text.substr(at, size);
    EXPECT_EQ(ruled.storedSlice(piece), expected) << at << "+" << size;
    const auto [first, last] = ruled.storedRange(piece);
    EXPECT_EQ(stored.substr(first, last - first), expected) << at << "+" << size;
  }
  EXPECT_EQ(ruled.toStored(1), 1u);  // the CR read into "A\n" stands for its LF
  EXPECT_EQ(ruled.toStored(text.size()), stored.size());
}

TEST(RuleText, DroppedLinesAreLeftOutOfTheReadingAndTheMapping) {
  const std::string stored = "X: 1\r\ncontent-location: a\nY: 2\nCONTENT-LOCATION: b\r\nZ";
  const RuleText ruled = RuleText::of(SharedText(stored), "Content-Location:");
  ASSERT_EQ(ruled.text(), "X: 1\r\nY: 2\r\nZ");
  const std::string_view text = ruled.text();
  EXPECT_EQ(ruled.storedSlice(text.substr(6, 4)), "Y: 2");
  EXPECT_EQ(ruled.toStored(text.find('Z')), stored.find('Z'));
  EXPECT_EQ(ruled.storedSlice(text), stored);
}

// The test looks at many bytes at once: a lone LF is seen wherever it falls against the
// blocks, also where its CR stands at the end of the block before.
TEST(RuleText, FindsALoneLfAtEveryPlace) {
  for (size_t size = 1; size < 70; ++size)
    for (size_t at = 0; at < size; ++at) {
      std::string text(size, 'x');
      text[at] = '\n';
      EXPECT_TRUE(engine::RuleText::hasBareLf(text)) << size << " " << at;
      if (at == 0) continue;
      text[at - 1] = '\r';
      EXPECT_FALSE(engine::RuleText::hasBareLf(text)) << size << " " << at;
      text[at - 1] = '\n';
      EXPECT_TRUE(engine::RuleText::hasBareLf(text)) << size << " " << at;
    }
}

TEST(RuleText, CrLfTextIsSharedNotCopied) {
  for (const std::string stored : {"a\r\nb\r\n", "", "no line end", "lone\rCR"}) {
    const SharedText shared(stored);
    const RuleText ruled = RuleText::of(shared, "Content-Location:");
    EXPECT_TRUE(ruled.isStored()) << stored;
    EXPECT_EQ(ruled.text().data(), shared.data()) << stored;
  }
}

// A message as the rules read it whatever its line ends: the same fields, text, HTML and
// parts; the part files hold the bytes as stored.
TEST(BareLfMessage, ReadsLikeItsCrLfTwinAndPartsKeepTheirStoredBytes) {
  std::string gif(3000, '\0');
  for (size_t i = 0; i < gif.size(); ++i) gif[i] = static_cast<char>(i * 7 + 3);
  std::string base64 = Base64().EncodeArr(gif);
  std::erase(base64, '\r');
  const std::string head =
      "From: Ann <a@x>\nSubject: Trip notes\nContent-Type: multipart/mixed;\n\tboundary=\"b\"\n\n";
  const std::string body =
      "--b\nContent-Type: text/plain\n\nhello\nworld\n"
      "--b\nContent-Type: text/html\nContent-Transfer-Encoding: quoted-printable\n\n"
      "<html><p>hi=3D</p>\n</html>\n"
      "--b\nContent-Type: text/plain; name=\"n.txt\"\nContent-Transfer-Encoding: 7bit\n\nline1\nline2\n"
      "--b\nContent-Type: image/gif; name=\"p.gif\"\nContent-Transfer-Encoding: base64\n\n" + base64 +
      "\n--b\ncontent-type: application/x-note; name=\"q.note\"\n"
      "content-transfer-encoding: quoted-printable\n\nsoft=\nbreak=3D\nnext\n--b--\n";
  SrParser twin;
  twin.Getall(crlf(head + body));

  struct Variant {
    const char* label;
    std::string message;
    std::string eol;  // line end of the body as stored
  } variants[] = {
      {"CR LF", crlf(head + body), "\r\n"},
      {"bare LF", head + body, "\n"},
      {"CR LF header, LF body", crlf(head) + body, "\n"},
  };
  for (const auto& v : variants) {
    SCOPED_TRACE(v.label);
    SrParser p;
    p.Source = v.message;
    p.Getall(p.Source);
    EXPECT_EQ(p.Subject, "Trip notes");
    EXPECT_EQ(p.From, twin.From);
    EXPECT_EQ(p.Text, twin.Text.view());
    EXPECT_EQ(p.Html, twin.Html);
    EXPECT_NE(p.Html.find("<p>hi=</p>"), std::string::npos);
    EXPECT_EQ(p.MailSize, SrParser::Formatsize(static_cast<int32_t>(v.message.size())));
    ASSERT_EQ(p.mailfiles->Count(), 3);
    for (int i = 1; i <= 3; ++i) {
      EXPECT_EQ(p.mailfiles->item(i)->Filename, twin.mailfiles->item(i)->Filename);
      EXPECT_EQ(p.mailfiles->item(i)->encoding, twin.mailfiles->item(i)->encoding);
      EXPECT_EQ(p.mailfiles->item(i)->fromStructure, i == 3);
    }
    TempFolder out;
    p.Saveattachments(out.path(), SrParser::kModeAll);
    EXPECT_EQ(readFile(out.path() / "n.txt"), "line1" + v.eol + "line2");
    EXPECT_EQ(readFile(out.path() / "p.gif"), gif);
    EXPECT_EQ(readFile(out.path() / "q.note"), "softbreak=" + v.eol + "next");
  }
}

}  // namespace
}  // namespace mailvane
