#include <gtest/gtest.h>

#include "engine/SrParser.h"

namespace mailvane {
namespace {

std::vector<std::string> all(const KeyedList<std::string>& list) {
  std::vector<std::string> out;
  for (const auto& link : list) out.push_back(link);
  return out;
}

TEST(Findsounds, TakesQuotedHttpLinksWithASoundEnding) {
  SrParser p;
  p.Findsounds("<bgsound src=\"http://h/a.MID\"><a href=\"HTTP://h/page.htm\">"
               "<embed src=\"https://h/s.wav\"><embed src=\"http://h/x=\r\ny.mp3\">"
               "<bgsound src=\"http://H/A.mid\">",
               0);
  EXPECT_EQ(all(p.OnlineSound), (std::vector<std::string>{"http://h/a.MID", "http://h/xy.mp3"}));
  // A link without a double quote after it ends the scan.
  SrParser q;
  q.Findsounds("<x src=\"http://h/b.wav\"> <bgsound src=http://h/a.mid>", 0);
  EXPECT_EQ(all(q.OnlineSound), std::vector<std::string>{"http://h/b.wav"});
}

TEST(Findfonts, TakesUnquotedEotLinksWithoutSpaceAfterTheColon) {
  SrParser p;
  p.Findfonts("@font-face{SRC:URL(http://h/f.EOT)} {src: url(http://h/g.eot)}"
              "{src:url(\"http://h/q.eot\")} {src:url(http://h/f.eot)} {src:url(http://h/k.ttf)}",
              0);
  EXPECT_EQ(all(p.OnlineFont), std::vector<std::string>{"http://h/f.EOT"});
}

}  // namespace
}  // namespace mailvane
