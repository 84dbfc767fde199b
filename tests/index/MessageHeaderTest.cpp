// Header fields found and decoded, and header blocks read from message files.
#include "index/EncodedWords.h"
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

// Up to the first blank line, also one that straddles two reads, and never past the bound.
TEST(MessageHeader, ReadsUpToTheFirstBlankLineOnlyAndNeverMoreThanTheBound) {
  TempDir dir;
  const std::string header = "Subject: hi\r\nFrom: a\r\n\r\n";
  writeBytes(dir / "crlf.eml", header + std::string(200000, 'x'));
  EXPECT_EQ(readHeaderBlock(dir / "crlf.eml"), header);
  writeBytes(dir / "lf.nws", "Subject: hi\n\nbody\n");
  EXPECT_EQ(readHeaderBlock(dir / "lf.nws"), "Subject: hi\n\n");
  writeBytes(dir / "none.eml", "Subject: no body");
  EXPECT_EQ(readHeaderBlock(dir / "none.eml"), "Subject: no body");
  for (size_t cut = 8185; cut <= 8195; ++cut) {
    const std::string straddling = std::string(cut, 'h') + "\r\n\r\n";
    writeBytes(dir / "m.eml", straddling + "body");
    EXPECT_EQ(readHeaderBlock(dir / "m.eml"), straddling) << cut;
  }
  writeBytes(dir / "big.eml", std::string(3 * kMaxHeaderBytes, 'a'));
  const auto block = readHeaderBlock(dir / "big.eml");
  ASSERT_TRUE(block);
  EXPECT_EQ(block->size(), kMaxHeaderBytes);
  EXPECT_EQ(readHeaderBlock(dir / "big.eml", 100)->size(), 100u);
  // Files it cannot read are reported.
  EXPECT_FALSE(readHeaderBlock(dir / "missing.eml"));
  std::filesystem::create_directory(dir / "folder.eml");
  EXPECT_FALSE(readHeaderBlock(dir / "folder.eml"));
}

TEST(EncodedWords, DecodesAnyCharsetJoinsNeighboursAndKeepsTheTextAround) {
  const std::pair<const char*, const char*> cases[] = {
      {"=?iso-8859-1?Q?Caf=E9_cr=E8me?=", "Café crème"},
      {"=?UTF-8?B?w6bDuMOl?=", "æøå"},
      {"=?koi8-r?B?8NLJ18XU?=", "Привет"},
      {"=?utf-8?q?p=C3=A5_ski?=", "på ski"},
      {"=?ISO-8859-1*da?Q?bl=E5?=", "blå"},  // language tag
      {"Re: =?utf-8?Q?a?= =?utf-8?Q?b?= end", "Re: ab end"},
      // A character split over two words is whole again after decoding.
      {"=?UTF-8?B?ww==?= =?UTF-8?B?pg==?=", "æ"},
      {"=?UTF-8?Q?=C3?=\t=?UTF-8?Q?=A6?=", "æ"},
      {"=?iso-8859-1?Q?=E9?= =?utf-8?Q?=C3=A9?=", "éé"},  // different charsets side by side
      {"=?us-ascii?Q?x?= y =?us-ascii?Q?z?=", "x y z"},
      // Text outside words is read in the code page unless it is UTF-8.
      {"caf\xE9", "café"},
      {"caf\xC3\xA9", "café"},
      {"\x93quoted\x94 =?utf-8?Q?x?=", "“quoted” x"},
  };
  for (const auto& [raw, decoded] : cases) EXPECT_EQ(decodeEncodedWords(raw), decoded) << raw;
}

TEST(EncodedWords, LeavesWordsItCannotDecodeAsTheyAre) {
  for (const char* raw : {"=?no-such-charset?Q?abc?=", "=?utf-8?X?abc?=", "=?utf-8?B?###?=",
                          "=?utf-8?Q?bad=ZZ?=", "=?utf-8?Q?=C3?=", "=??Q?abc?=", "=?utf-8?Q?abc",
                          "=?utf-8?Q?a b?=", "plain =? text ?= here", "=?", "=?utf-8?"}) {
    EXPECT_EQ(decodeEncodedWords(raw), raw) << raw;
  }
}

}  // namespace
}  // namespace mailvane::index
