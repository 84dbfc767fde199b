// Shapes that would take quadratic time or deep recursion if walked naively. Not timed:
// a slow walk shows as a slow suite, a recursive one as a crash.

#include <gtest/gtest.h>

#include "engine/SrParser.h"
#include "tests/engine/EngineTestSupport.h"

namespace mailvane {
namespace {

using test::crlf;

std::shared_ptr<bodyFiles> partsOf(const std::string& message, SrParser& parser) {
  parser.Source = message;
  parser.Getall(parser.Source);
  return parser.mailfiles;
}

TEST(LargeMessage, HundredThousandTinyParts) {
  std::string message = "Subject: many\nContent-Type: multipart/mixed; boundary=\"b\"\n\n";
  for (int i = 0; i < 100000; ++i) message += "--b\ncontent-type: application/pdf\n\nx\n";
  message += "--b--\n";
  SrParser parser;
  const auto parts = partsOf(crlf(message), parser);
  ASSERT_EQ(parts->Count(), 100000);
  EXPECT_EQ(parts->item(1)->Filename, "part.pdf");
  EXPECT_EQ(parts->item(100000)->Filename, "part99999.pdf");
  EXPECT_EQ(parts->item(100000)->BaseContent, "x");
}

TEST(LargeMessage, TenThousandNestedMultipartsKeepTheirInnermostPart) {
  constexpr int kDepth = 10000;
  std::string message = "Subject: deep\n";
  for (int i = 0; i < kDepth; ++i) {
    const std::string b = "b" + std::to_string(i);
    message += "Content-Type: multipart/mixed; boundary=\"" + b + "\"\n\n--" + b + "\n";
  }
  message += "content-type: image/png\n\nPNG\n";
  for (int i = kDepth; i-- > 0;) message += "--b" + std::to_string(i) + "--\n";
  message += "epilogue\n";
  for (const std::string& stored : {crlf(message), message}) {
    SrParser parser;
    const auto parts = partsOf(stored, parser);
    ASSERT_EQ(parts->Count(), 1);
    EXPECT_EQ(parts->item(1)->Filename, "part.png");
    EXPECT_EQ(parts->item(1)->BaseContent, "PNG");
  }
}

TEST(LargeMessage, OneMegabyteHeaderBlocks) {
  std::string padding;
  while (padding.size() < (1u << 20)) padding += "X-Pad: " + std::string(60, 'p') + "\n";
  // A long message header, then a part whose own header is as long.
  const std::string message = "From: a@x\n" + padding +
                              "Subject: big\nContent-Type: multipart/mixed; boundary=\"b\"\n\n"
                              "--b\ncontent-type: image/png\n" + padding + "\nPNG\n--b--\n";
  SrParser parser;
  const auto parts = partsOf(crlf(message), parser);
  EXPECT_EQ(parser.Subject, "big");
  ASSERT_EQ(parts->Count(), 1);
  EXPECT_EQ(parts->item(1)->BaseContent, "PNG");
}

}  // namespace
}  // namespace mailvane
