#include "system/CodePage.h"

#include <gtest/gtest.h>

using namespace mailvane::system;

TEST(CodePage, Windows1252RoundTripsEveryByteAndMarksWhatItCannotHold) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(fromUtf8(toUtf8(all)), all);
  EXPECT_EQ(toUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(toUtf8("K\xF8" "benhavn"), "K\xC3\xB8" "benhavn");
  EXPECT_EQ(fromUtf8("\xE4\xB8\xAD"), "?");  // CJK, not in the page
  EXPECT_EQ(fromUtf8("a\xC3"), "a?");         // truncated sequence
  EXPECT_EQ(fromUtf8("\xFF" "b"), "?b");
}

TEST(CodePage, CaseFoldingKeepsLengthFoldsAccentedLettersAndFindsText) {
  EXPECT_EQ(toLowerCp("HeLLo \xC5\xD8\xC6 \x8A\x9F"), "hello \xE5\xF8\xE6 \x9A\xFF");
  EXPECT_EQ(toLowerCp("\xD7"), "\xD7");  // multiplication sign is not a letter
  EXPECT_EQ(toLowerCp("\xDF"), "\xDF");  // sharp s has no single-byte capital
  EXPECT_TRUE(equalsNoCase("CID:Abc", "cid:aBC"));
  EXPECT_FALSE(equalsNoCase("abc", "abcd"));
  EXPECT_EQ(findNoCase("xx<HTML>", "<html"), 2u);
  EXPECT_EQ(findNoCase("<html><HTML>", "<html", 1), 6u);
  EXPECT_EQ(findNoCase("abc", "abcd"), std::string_view::npos);
  EXPECT_EQ(findNoCase("abc", ""), 0u);
  EXPECT_EQ(findNoCase("abc", "", 4), std::string_view::npos);
}
