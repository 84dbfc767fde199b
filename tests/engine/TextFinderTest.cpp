// The anchored searches must find exactly what a plain left-to-right search finds: the
// first match at or after the start, also where matches overlap, sit at either end of
// the text, or differ only in the case of letters (accented ones included).
#include <gtest/gtest.h>

#include <random>
#include <string>

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
