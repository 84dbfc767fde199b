#include <gtest/gtest.h>

#include "engine/Records.h"
#include "engine/SrParser.h"

namespace mailvane {
namespace {

TEST(RecordList, MissingIndexOrKeyGivesNullAndRemoveReportsIt) {
  bodyFiles list;
  list.Add(std::make_shared<nlMail>());
  list.Add(std::make_shared<nlMail>());  // a second empty key keeps both
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.item(0), nullptr);
  EXPECT_EQ(list.item(3), nullptr);
  EXPECT_EQ(list.item("absent"), nullptr);
  EXPECT_FALSE(list.Remove(3));
  EXPECT_FALSE(list.Remove("absent"));
  EXPECT_NE(list.item(2), nullptr);
}

TEST(RecordList, KeysAreUniqueWithoutRegardToCaseAndSurviveRemoval) {
  MSLIve list;
  auto a = std::make_shared<MSlivemsgs>(MSlivemsgs{"a.eml", "A"});
  auto b = std::make_shared<MSlivemsgs>(MSlivemsgs{"b.eml", "B"});
  auto c = std::make_shared<MSlivemsgs>(MSlivemsgs{"c.eml", "C"});
  EXPECT_EQ(list.Add(a, "Key"), a);
  EXPECT_EQ(list.Add(b, "KEY"), nullptr);
  EXPECT_EQ(list.Add(b, "other"), b);
  EXPECT_EQ(list.Add(c, "third"), c);
  EXPECT_TRUE(list.Remove(1));
  // Keys still find their records after the positions moved.
  EXPECT_EQ(list.item("OTHER"), b);
  EXPECT_EQ(list.item("Third"), c);
  EXPECT_EQ(list.item(1), b);
  std::vector<std::string> order;
  for (const auto& r : list) order.push_back(r->Subject);
  EXPECT_EQ(order, (std::vector<std::string>{"B", "C"}));
}

TEST(RecordList, ParserStartsWithoutPartListAndWithEmptyLinkLists) {
  SrParser parser;
  EXPECT_EQ(parser.mailfiles, nullptr);
  EXPECT_EQ(parser.OnlineSound.Count(), 0);
  EXPECT_EQ(parser.OnlineFont.Count(), 0);
}

}  // namespace
}  // namespace mailvane
