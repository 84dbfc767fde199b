#include <gtest/gtest.h>

#include "codecs/Base64.h"
#include "engine/HtmlRebuilder.h"
#include "engine/SrParser.h"
#include "tests/engine/EngineTestSupport.h"

namespace mailvane {
namespace {

using test::crlf;

TEST(Gethtml, CutsTheFirstDocumentInAnyCaseAndDecodesIt) {
  SrParser p;
  EXPECT_EQ(p.gethtml(crlf("Subject: x\n\nplain only\n")), "");
  EXPECT_EQ(p.gethtml(crlf("X\n\n<HTML><p a=3D\"1\">=E5=\nx</p></HTML>\ntrailer <html>")),
            "<HTML><p a=\"1\">\xE5x</p></HTML>");
  // "<htm" without the l, closed by "</htm>".
  EXPECT_EQ(p.gethtml("ab <htm>x=41</htm> cd"), "<htm>xA</htm>");
}

TEST(Gethtml, UnclosedDocumentStaysWholeWhenItStartsLate) {
  SrParser p;
  const std::string message = crlf("Subject: x\n\n<html><base href=\"a\">=41\n");
  EXPECT_EQ(p.gethtml(message), crlf("Subject: x\n\n<html>=41\n"));
  // Starting at the very front, the cut is the closing tag's length minus the 1-based start.
  EXPECT_EQ(p.gethtml("<html>abcdef"), "<html>");
  EXPECT_EQ(p.gethtml("ab<html>abcdef"), "<htm");
}

TEST(Gethtml, RemovesBaseTagsAndTheSavedFromComment) {
  SrParser p;
  const std::string motw = "<!-- saved from url=(0022)http://internet.e-mail -->";
  const std::string other = "<!-- saved from url=(0022)http://example.org/abc -->";
  EXPECT_EQ(p.gethtml("<html>" + motw + "<BASE href=x><p><BASE href=x>" + other + "</html>"),
            "<html><p>" + other + "</html>");
}

TEST(Removebase, RemovesEveryTagAndFailsOnAnUnclosedOne) {
  EXPECT_EQ(SrParser::Removebase("a<BASE x>b<BASE x>c<base y>d"), "abcd");
  EXPECT_EQ(SrParser::Removebase("no tags"), "no tags");
  EXPECT_EQ(SrParser::Removebase("a<base x>b<base y"), std::nullopt);
  // A removal that joins a new tag together removes that one as well.
  EXPECT_EQ(SrParser::Removebase("1<ba<base x>se y>2"), "12");
  // The failure keeps the whole text for gethtml.
  SrParser p;
  EXPECT_EQ(p.gethtml("much later <html><base a><base b"), "much later <html><base a><base b");
}

TEST(Gethtml, DecodesABase64HtmlPartWhenTheRawTextHasNoHtml) {
  const std::string html = "<html><body>Caf\xE9 a=3Db <base href=x></body></html>";
  const std::string message =
      crlf("Content-Type: multipart/alternative; boundary=\"b1\"\n\n--b1\n"
           "Content-Type: text/plain\n\nplain\n--b1\n"
           "Content-Type: text/html; charset=\"iso-8859-1\"\n"
           "Content-Transfer-Encoding: base64\n\n") +
      Base64().EncodeArr(html) + crlf("\n--b1--\n");
  SrParser p;
  // Decoded, never taken for quoted-printable: "a=3Db" stays as the sender wrote it.
  EXPECT_EQ(p.gethtml(message), "<html><body>Caf\xE9 a=3Db </body></html>");
}

TEST(Fixcid, EachReferenceGetsTheEarliestMatchingPartsName) {
  using engine::HtmlRebuilder;
  const std::vector<std::pair<std::string, std::string>> parts = {
      {"<img1>", "one.gif"}, {"", "skip.gif"}, {"<img10>", "ten.gif"}, {"<IMG2>", "two.gif"}};
  // "cid:img1" is also the start of "cid:img10": the earlier part wins there too.
  EXPECT_EQ(HtmlRebuilder::fixCid("src=\"cid:img1\" src=\"cid:img10\" cid:img2 cid:IMG2", parts),
            "src=\"one.gif\" src=\"one.gif0\" cid:img2 two.gif");
  const std::vector<std::pair<std::string, std::string>> reversed = {
      {"<img10>", "ten.gif"}, {"<img1>", "one.gif"}};
  EXPECT_EQ(HtmlRebuilder::fixCid("cid:img10 cid:img1", reversed), "ten.gif one.gif");
}

}  // namespace
}  // namespace mailvane
