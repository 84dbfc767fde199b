#include "index/IndexQuery.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace mailvane::index {
namespace {

using ::testing::HasSubstr;

std::optional<IndexQuery> parse(std::string_view text) {
  std::string error;
  auto query = parseIndexQuery(text, error);
  EXPECT_EQ(query.has_value(), error.empty()) << text << ": " << error;
  return query;
}

TEST(IndexQuery, BuildsTheWindowsTwoForms) {
  EXPECT_EQ(buildIndexQuery(""),
            "SELECT System.Title, System.Itemurl,System.FileExtension  FROM SYSTEMINDEX");
  EXPECT_EQ(buildIndexQuery("red car"),
            "SELECT System.Title, System.Itemurl, System.FileExtension, System.ItemNameDisplay"
            "  FROM SYSTEMINDEX  WHERE CONTAINS(System.Title,'*red?car*',1044) or "
            "CONTAINS(System.ItemNameDisplay,'*red?car*',1044)");
  EXPECT_THAT(buildIndexQuery("don't"), HasSubstr("'*don''t*'"));
}

TEST(IndexQuery, ReadsBothFormsWhateverTheSpacingCaseParenthesesAndColumns) {
  const auto all = parse(buildIndexQuery(""));
  ASSERT_TRUE(all);
  EXPECT_TRUE(all->conditions.empty());
  EXPECT_TRUE(parse("select * from systemindex;"));

  const auto query = parse(buildIndexQuery("red car"));
  ASSERT_TRUE(query);
  ASSERT_EQ(query->conditions.size(), 2u);
  EXPECT_EQ(query->conditions[0].field, IndexField::Title);
  EXPECT_EQ(query->conditions[1].field, IndexField::DisplayName);
  EXPECT_EQ(query->conditions[0].pattern, "*red?car*");
  EXPECT_EQ(query->conditions[1].pattern, "*red?car*");

  const auto loose = parse(
      "select System.Title,System.ItemUrl from SystemIndex where "
      "(contains( system.title , 'a' ) OR (CONTAINS(System.FileName,'b')))");
  ASSERT_TRUE(loose);
  ASSERT_EQ(loose->conditions.size(), 2u);
  EXPECT_EQ(loose->conditions[1].field, IndexField::DisplayName);
}

// Whatever the user types comes back as the pattern, quote characters included.
TEST(IndexQuery, ReadsQuoteCharactersInTheWordBack) {
  for (const std::string_view word : {"don't", "''", "'", "say \"hi\"", "a`b\u00b4c",
                                      "'; DROP TABLE files; --", "x' OR '1'='1", "%_\\", "*?",
                                      "(a,b)"}) {
    const auto query = parse(buildIndexQuery(word));
    ASSERT_TRUE(query) << word;
    std::string expected = "*" + std::string(word) + "*";
    std::replace(expected.begin(), expected.end(), ' ', '?');
    EXPECT_EQ(query->conditions.at(0).pattern, expected);
  }
}

TEST(IndexQuery, RefusesWhatItCannotReadWithAReason) {
  for (const char* text :
       {"", "SELECT", "SELECT System.Title", "SELECT System.Title FROM other",
        "SELECT * FROM SYSTEMINDEX WHERE", "SELECT * FROM SYSTEMINDEX WHERE CONTAINS(System.Title,'a'",
        "SELECT * FROM SYSTEMINDEX WHERE CONTAINS(System.Author,'a')",
        "SELECT * FROM SYSTEMINDEX WHERE CONTAINS(System.Title,'a') AND CONTAINS(System.Title,'b')",
        "SELECT * FROM SYSTEMINDEX WHERE CONTAINS(System.Title,'unterminated)",
        "SELECT * FROM SYSTEMINDEX WHERE CONTAINS(System.Title,'don't')",
        "SELECT * FROM SYSTEMINDEX; DROP TABLE files", "SELECT * FROM SYSTEMINDEX WHERE CONTAINS(System.Title,a)"}) {
    std::string error;
    EXPECT_FALSE(parseIndexQuery(text, error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}

TEST(IndexQuery, CapsNestingConditionsAndLength) {
  std::string error;
  const std::string deep = "SELECT * FROM SYSTEMINDEX WHERE " + std::string(1000, '(') +
                           "CONTAINS(System.Title,'a')" + std::string(1000, ')');
  EXPECT_FALSE(parseIndexQuery(deep, error));
  std::string many = "SELECT * FROM SYSTEMINDEX WHERE CONTAINS(System.Title,'a')";
  for (size_t i = 0; i < kMaxConditions; ++i) many += " OR CONTAINS(System.Title,'a')";
  EXPECT_FALSE(parseIndexQuery(many, error));
  EXPECT_FALSE(parseIndexQuery(buildIndexQuery(std::string(kMaxQueryBytes, 'a')), error));
}

TEST(IndexQuery, NarrowsEachConditionByItsLiteralPiecesOfThreeCharactersOrMore) {
  const auto matchOf = [](std::string_view words) {
    std::string error;
    return trigramMatch(*parseIndexQuery(buildIndexQuery(words), error));
  };
  const struct {
    const char* words;
    const char* match;
  } cases[] = {
      {"red car", "title : (\"red\" AND \"car\") OR name : (\"red\" AND \"car\")"},
      {"RedCar", "title : (\"redcar\") OR name : (\"redcar\")"},
      {"red ca", "title : (\"red\") OR name : (\"red\")"},  // "ca" is too short to narrow
      {"say \"hi there\"",
       "title : (\"say\" AND \"\"\"hi\" AND \"there\"\"\") OR name : (\"say\" AND "
       "\"\"\"hi\" AND \"there\"\"\")"},
      {"ÆBL", "title : (\"æbl\") OR name : (\"æbl\")"},  // three characters, six bytes
      {"don't", "title : (\"don't\") OR name : (\"don't\")"},
      {"ab", ""},  // nothing to narrow by: every row is matched with LIKE
      {"a*b?c", ""},
      {"", ""},
      {"\xC3(x", ""},  // not UTF-8: left to LIKE
  };
  for (const auto& c : cases) EXPECT_EQ(matchOf(c.words), c.match) << c.words;
  std::string error;
  const auto mixed = parseIndexQuery(
      "SELECT * FROM SYSTEMINDEX WHERE CONTAINS(System.Title,'long') OR CONTAINS(System.Title,'x')",
      error);
  EXPECT_EQ(trigramMatch(*mixed), "");  // one condition without a piece widens to all rows
}

}  // namespace
}  // namespace mailvane::index
