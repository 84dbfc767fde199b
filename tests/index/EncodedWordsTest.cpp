#include "index/EncodedWords.h"

#include <gtest/gtest.h>

namespace mailvane::index {
namespace {

TEST(EncodedWords, DecodesBothEncodingsInAnyCharset) {
  EXPECT_EQ(decodeEncodedWords("=?iso-8859-1?Q?Caf=E9_cr=E8me?="), "Café crème");
  EXPECT_EQ(decodeEncodedWords("=?UTF-8?B?w6bDuMOl?="), "æøå");
  EXPECT_EQ(decodeEncodedWords("=?koi8-r?B?8NLJ18XU?="), "Привет");
  EXPECT_EQ(decodeEncodedWords("=?utf-8?q?p=C3=A5_ski?="), "på ski");
  EXPECT_EQ(decodeEncodedWords("=?ISO-8859-1*da?Q?bl=E5?="), "blå");  // language tag
}

TEST(EncodedWords, JoinsAdjacentWordsAndKeepsTheTextAround) {
  EXPECT_EQ(decodeEncodedWords("Re: =?utf-8?Q?a?= =?utf-8?Q?b?= end"), "Re: ab end");
  // A character split over two words is whole again after decoding.
  EXPECT_EQ(decodeEncodedWords("=?UTF-8?B?ww==?= =?UTF-8?B?pg==?="), "æ");
  EXPECT_EQ(decodeEncodedWords("=?UTF-8?Q?=C3?=\t=?UTF-8?Q?=A6?="), "æ");
  // Different charsets next to each other.
  EXPECT_EQ(decodeEncodedWords("=?iso-8859-1?Q?=E9?= =?utf-8?Q?=C3=A9?="), "éé");
  EXPECT_EQ(decodeEncodedWords("=?us-ascii?Q?x?= y =?us-ascii?Q?z?="), "x y z");
}

TEST(EncodedWords, LeavesWordsItCannotDecodeAsTheyAre) {
  for (const char* raw : {"=?no-such-charset?Q?abc?=", "=?utf-8?X?abc?=", "=?utf-8?B?###?=",
                          "=?utf-8?Q?bad=ZZ?=", "=?utf-8?Q?=C3?=", "=??Q?abc?=", "=?utf-8?Q?abc",
                          "=?utf-8?Q?a b?=", "plain =? text ?= here", "=?", "=?utf-8?"}) {
    EXPECT_EQ(decodeEncodedWords(raw), raw) << raw;
  }
}

TEST(EncodedWords, ReadsTextOutsideWordsInTheCodePageUnlessItIsUtf8) {
  EXPECT_EQ(decodeEncodedWords("caf\xE9"), "café");           // Windows-1252
  EXPECT_EQ(decodeEncodedWords("caf\xC3\xA9"), "café");       // already UTF-8
  EXPECT_EQ(decodeEncodedWords("\x93quoted\x94 =?utf-8?Q?x?="), "“quoted” x");
}

}  // namespace
}  // namespace mailvane::index
