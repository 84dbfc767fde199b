// The anchored searches must find exactly what a plain left-to-right search finds: the
// first match at or after the start, also where matches overlap, sit at either end of
// the text, or differ only in the case of letters (accented ones included).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/TextFinder.h"
#include "system/CodePage.h"

namespace mailvane {
namespace {

using engine::TextFinder;

// Few distinct bytes, so that near-misses and overlapping matches are common: letters in
// both cases, an accented pair, the anchors mail text is searched for, CR LF.
constexpr std::string_view kAlphabet = "aAbB:=-\r\n \xC9\xE9/";

std::string randomText(std::mt19937& rng, size_t maxLength) {
  std::uniform_int_distribution<size_t> length(0, maxLength);
  std::uniform_int_distribution<size_t> pick(0, kAlphabet.size() - 1);
  std::string s(length(rng), ' ');
  for (char& c : s) c = kAlphabet[pick(rng)];
  return s;
}

size_t slowFindNoCase(std::string_view hay, std::string_view needle, size_t from) {
  return system::toLowerCp(hay).find(system::toLowerCp(needle), from);
}

TEST(TextFinderTest, AgreesWithPlainSearchesOnRandomText) {
  std::mt19937 rng(20261206);
  for (int round = 0; round < 4000; ++round) {
    const std::string hay = randomText(rng, 60);
    const std::string needle = randomText(rng, 4);
    for (size_t from = 0; from <= hay.size() + 1; ++from) {
      ASSERT_EQ(TextFinder::find(hay, needle, from), std::string_view(hay).find(needle, from))
          << "needle '" << needle << "' from " << from << " in '" << hay << "'";
      ASSERT_EQ(TextFinder::findNoCase(hay, needle, from), slowFindNoCase(hay, needle, from))
          << "needle '" << needle << "' from " << from << " in '" << hay << "'";
    }
  }
}

// Long texts where the anchor bytes (":", "=", "-") come every few bytes, so the exact
// search leaves its anchor part way through, at every kind of position: for memmem, or
// (in every other round) for a "Q" that is rare in the text and stands in the needle.
TEST(TextFinderTest, AgreesWithPlainSearchesWhereTheAnchorIsCommon) {
  std::mt19937 rng(35);
  for (int round = 0; round < 400; ++round) {
    std::string hay = randomText(rng, 5000);
    std::string needle = randomText(rng, 7);
    if (round % 2 == 1 && !needle.empty()) {
      for (size_t i = rng() % 300; i < hay.size(); i += 1 + rng() % 600) hay[i] = 'Q';
      needle[rng() % needle.size()] = 'Q';
    }
    for (size_t from : {size_t{0}, size_t{1}, hay.size() / 3, hay.size() / 2, hay.size()}) {
      ASSERT_EQ(TextFinder::find(hay, needle, from), std::string_view(hay).find(needle, from))
          << "needle '" << needle << "' from " << from;
      ASSERT_EQ(TextFinder::findNoCase(hay, needle, from), slowFindNoCase(hay, needle, from))
          << "needle '" << needle << "' from " << from;
    }
  }
  // A match that only the last bytes complete, after thousands of false stops.
  std::string colons;
  while (colons.size() < 4000) colons += "abcdefghij klmnopqrst uvwxyz 01234:";
  EXPECT_EQ(TextFinder::find(colons + "Date:", "Date:"), colons.size());
  EXPECT_EQ(TextFinder::find(colons + "Date", "Date:"), std::string::npos);
  EXPECT_EQ(TextFinder::find(colons, "4:a", 3990), colons.find("4:a", 3990));
  // A match that starts right after the stop that made the search change its anchor.
  EXPECT_EQ(TextFinder::find(std::string(17, ':') + "Q" + std::string(300, 'x'), ":Q"), 16u);
  EXPECT_EQ(TextFinder::find(std::string(17, ':') + "Q", ":Q"), 16u);
}

// Long mail-like texts: stretches thick with the anchor byte (where the search leaves it
// for a while) and stretches without it (where it comes back to it), needles inside,
// across and after them.
TEST(TextFinderTest, AgreesWithPlainSearchesAcrossLongStretches) {
  std::mt19937 rng(52);
  const std::string needle = "ary=\"\"";
  for (int round = 0; round < 40; ++round) {
    std::string hay;
    while (hay.size() < 150000) {
      const size_t length = rng() % 40000;
      const bool thick = rng() % 2 == 0;
      for (size_t i = 0; i < length; ++i)
        hay += thick ? "a=\"b"[rng() % 4] : static_cast<char>('A' + rng() % 26);
      if (rng() % 3 == 0) hay += needle;
    }
    for (size_t from : {size_t{0}, size_t{17000}, size_t{70000}, hay.size() - 10})
      ASSERT_EQ(TextFinder::find(hay, needle, from), std::string_view(hay).find(needle, from))
          << "round " << round << " from " << from;
  }
}

// One sweep for many needles finds what one search per needle finds: in short texts, in
// long ones thick with the anchor (where the sweep hands over to single searches part
// way), with needles that lack the anchor, overlap or are empty.
TEST(TextFinderTest, FindEachAgreesWithOneSearchPerNeedle) {
  std::mt19937 rng(41);
  for (int round = 0; round < 1500; ++round) {
    const std::string hay = randomText(rng, round % 3 == 0 ? 4000 : 60);
    std::vector<std::string> owned;
    for (int n = 0; n < 6; ++n) owned.push_back(randomText(rng, 5));
    owned.push_back(":");
    std::vector<std::string_view> needles(owned.begin(), owned.end());
    const std::vector<size_t> found = TextFinder::findEach(hay, needles, ':');
    for (size_t i = 0; i < needles.size(); ++i)
      ASSERT_EQ(found[i], std::string_view(hay).find(needles[i]))
          << "needle '" << needles[i] << "' in round " << round;
  }
}

TEST(TextFinderTest, FindsMailMarkersWhateverTheirCase) {
  const std::string message =
      "Content-Type: multipart/related;\r\n\tBOUNDARY=\"b\"\r\n\r\nsee <HTML> and boundary=x";
  EXPECT_EQ(TextFinder::findNoCase(message, "boundary="), message.find("BOUNDARY="));
  EXPECT_EQ(TextFinder::findNoCase(message, "boundary=", 40), message.rfind("boundary="));
  EXPECT_EQ(TextFinder::findNoCase(message, "<html"), message.find("<HTML"));
  // Letters only: no byte without a case twin to jump to.
  EXPECT_EQ(TextFinder::findNoCase(message, "RELATED"), message.find("related"));
  EXPECT_EQ(TextFinder::find(message, "related;\r\n"), message.find("related;"));
  EXPECT_EQ(TextFinder::find(message, "Related"), std::string::npos);
  EXPECT_TRUE(TextFinder::equalsNoCase("\xC9T\xC9", "\xE9t\xE9"));
  EXPECT_FALSE(TextFinder::equalsNoCase("end", "ends"));
}

}  // namespace
}  // namespace mailvane
