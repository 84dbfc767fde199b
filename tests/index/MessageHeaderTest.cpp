#include "index/MessageHeader.h"

#include <gtest/gtest.h>

#include "IndexTestSupport.h"

namespace mailvane::index {
namespace {

using testing::TempDir;
using testing::writeBytes;

TEST(MessageHeader, FindsTheFieldByNameAndUnfoldsIt) {
  const std::string block =
      "X-Subject: not this\r\nsubject: first\r\n line\r\n\tand more\r\nSubject: second\r\n\r\n";
  EXPECT_EQ(headerField(block, "Subject"), "first line and more");
  EXPECT_EQ(headerField("From: a\nSubject:   spaced   \n\nSubject: body", "Subject"), "spaced");
  EXPECT_EQ(headerField("From: a\r\n\r\nSubject: in the body\r\n", "Subject"), "");
  EXPECT_EQ(headerField("Subject:", "Subject"), "");
  EXPECT_EQ(headerField("", "Subject"), "");
}

TEST(MessageHeader, ReadsUpToTheFirstBlankLineOnly) {
  TempDir dir;
  const std::string header = "Subject: hi\r\nFrom: a\r\n\r\n";
  writeBytes(dir / "crlf.eml", header + std::string(200000, 'x'));
  EXPECT_EQ(readHeaderBlock(dir / "crlf.eml"), header);
  writeBytes(dir / "lf.nws", "Subject: hi\n\nbody\n");
  EXPECT_EQ(readHeaderBlock(dir / "lf.nws"), "Subject: hi\n\n");
  writeBytes(dir / "none.eml", "Subject: no body");
  EXPECT_EQ(readHeaderBlock(dir / "none.eml"), "Subject: no body");
}

TEST(MessageHeader, FindsABlankLineThatStraddlesTwoReads) {
  TempDir dir;
  for (size_t cut = 8185; cut <= 8195; ++cut) {
    const std::string header = std::string(cut, 'h') + "\r\n\r\n";
    writeBytes(dir / "m.eml", header + "body");
    EXPECT_EQ(readHeaderBlock(dir / "m.eml"), header) << cut;
  }
}

TEST(MessageHeader, NeverReadsMoreThanTheBound) {
  TempDir dir;
  writeBytes(dir / "big.eml", std::string(3 * kMaxHeaderBytes, 'a'));
  const auto block = readHeaderBlock(dir / "big.eml");
  ASSERT_TRUE(block);
  EXPECT_EQ(block->size(), kMaxHeaderBytes);
  EXPECT_EQ(readHeaderBlock(dir / "big.eml", 100)->size(), 100u);
}

TEST(MessageHeader, ReportsFilesItCannotRead) {
  TempDir dir;
  EXPECT_FALSE(readHeaderBlock(dir / "missing.eml"));
  std::filesystem::create_directory(dir / "folder.eml");
  EXPECT_FALSE(readHeaderBlock(dir / "folder.eml"));
}

}  // namespace
}  // namespace mailvane::index
