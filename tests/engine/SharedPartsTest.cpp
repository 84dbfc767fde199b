// Part records hold slices of the parsed message instead of copies of their payloads.
// These tests pin what that must not change: a record's payload is the right bytes for
// as long as the record lives, whatever happens to the parser and its Source afterwards.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "codecs/Base64.h"
#include "codecs/UUencode.h"
#include "engine/SrParser.h"
#include "tests/engine/EngineTestSupport.h"

namespace mailvane {
namespace {

using test::crlf;

// A message with one part of each encoding; `tag` makes each message's payloads unique.
std::string message(const std::string& tag) {
  std::string uu = UUencode().Encode("uu " + tag);
  std::erase(uu, '\r');
  return crlf("From: a@x\nSubject: " + tag +
              "\nContent-Type: multipart/mixed; boundary=\"b\"\n\n"
              "--b\nContent-Type: text/plain\n\nhello\n"
              "--b\nContent-Type: image/gif; name=\"" + tag + ".gif\"\n"
              "Content-Transfer-Encoding: base64\n\n" + Base64().Encode("gif " + tag) + "\n\n"
              "--b\nContent-Type: text/plain; name=\"" + tag + ".txt\"\n"
              "Content-Transfer-Encoding: 7bit\n\nseven " + tag + "\n"
              "--b\nContent-Type: application/octet-stream\n\nbegin 666 " + tag + ".uu\n" +
              uu + "\nend\n--b--\n");
}

// The decoded payloads of a message's parts, in order.
std::vector<std::string> decoded(const bodyFiles& parts) {
  std::vector<std::string> out;
  for (const auto& part : parts) {
    if (part->encoding == "Base64") out.push_back(Base64().Decode(part->BaseContent).value_or("?"));
    if (part->encoding == "7bit") out.push_back(part->BaseContent.str());
    if (part->encoding == "uuencode") out.push_back(UUencode().Decode(part->BaseContent).value_or("?"));
  }
  return out;
}

const std::vector<std::string> kFirst = {"gif one", "seven one", "uu one"};
const std::vector<std::string> kSecond = {"gif two", "seven two", "uu two"};

TEST(SharedParts, PayloadsOfSourceAreSlicesOfItNotCopies) {
  SrParser p;
  p.Source = message("one");
  p.Getall(p.Source);
  ASSERT_EQ(decoded(*p.mailfiles), kFirst);
  const std::string_view source = p.Source;
  for (const auto& part : *p.mailfiles) {
    const std::string_view payload = part->BaseContent;
    EXPECT_TRUE(payload.data() >= source.data() &&
                payload.data() + payload.size() <= source.data() + source.size())
        << part->Filename << " was copied";
  }
}

TEST(SharedParts, PayloadsOutliveTheNextMessageAndTheParser) {
  std::shared_ptr<bodyFiles> first;
  std::shared_ptr<bodyFiles> second;
  {
    auto p = std::make_unique<SrParser>();
    std::string text = message("one");
    p->Source = std::move(text);
    p->Getall(p->Source);
    first = p->mailfiles;
    // The windows reuse one parser: the next message replaces Source and the parts.
    p->Source = message("two");
    p->Getall(p->Source);
    second = p->mailfiles;
    EXPECT_EQ(decoded(*first), kFirst);
    EXPECT_EQ(decoded(*second), kSecond);
  }
  EXPECT_EQ(decoded(*first), kFirst);
  EXPECT_EQ(decoded(*second), kSecond);
}

// A message without a text/plain part takes its body as the text as it stands: that text
// shares Source's bytes too, and stays right after the parser moves on.
TEST(SharedParts, TextTakenAsItStandsIsASliceThatOutlivesTheParser) {
  SharedText text;
  {
    SrParser p;
    p.Source = crlf("Subject: html only\nContent-Type: text/html\n\n<p>a=3Db</p>\n");
    p.Getall(p.Source);
    EXPECT_TRUE(p.Source.holds(p.Text));
    text = p.Text;
    p.Source = message("two");
    p.Getall(p.Source);
    EXPECT_EQ(p.Text, "seven two\r\n");
  }
  EXPECT_EQ(text, "<p>a=3Db</p>\r\n");
}

TEST(SharedParts, TextThatIsNotSourceIsCopiedAndMayGo) {
  SrParser p;
  p.Source = message("unrelated");
  {
    const std::string text = message("one");
    p.Getall(text);
  }
  EXPECT_EQ(decoded(*p.mailfiles), kFirst);

  // A message with Content-Location lines is scanned in a copy without them.
  std::string located = message("two");
  const std::string marker = "Content-Transfer-Encoding: 7bit\r\n";
  located.insert(located.find(marker), "Content-Location: http://x/two.txt\r\n");
  p.Source = std::move(located);
  p.Getall(p.Source);
  const auto parts = p.mailfiles;
  p.Source = message("three");
  p.Getall(p.Source);
  EXPECT_EQ(decoded(*parts), kSecond);
}

TEST(SharedText, SlicesShareOrCopyAndCompareAsText) {
  const SharedText text(std::string("header\r\n\r\npayload"));
  const std::string_view whole = text;
  const SharedText payload = text.slice(whole.substr(10));
  EXPECT_EQ(payload, "payload");
  EXPECT_EQ(payload.data(), whole.data() + 10);
  EXPECT_TRUE(text.holds(whole.substr(0, 6)));

  const std::string elsewhere = "payload";
  EXPECT_FALSE(text.holds(elsewhere));
  const SharedText copied = text.slice(elsewhere);
  EXPECT_EQ(copied, "payload");
  EXPECT_NE(copied.data(), elsewhere.data());
  EXPECT_TRUE(text.slice({}).empty());
  EXPECT_TRUE(SharedText().slice(elsewhere) == elsewhere);
}

}  // namespace
}  // namespace mailvane
