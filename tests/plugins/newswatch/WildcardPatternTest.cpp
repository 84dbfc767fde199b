#include "plugins/newswatch/WildcardPattern.h"

#include <gtest/gtest.h>

#include <string>

namespace mailvane::newswatch {
namespace {

struct Case {
  const char* pattern;
  const char* name;
  bool matches;
};

TEST(WildcardPatternTest, MatchesNamesLikeTheListenerFilters) {
  const Case cases[] = {
      // "*.*" is what the windows set: every name, also one without a dot.
      {"*.*", "message.eml", true},
      {"*.*", "noextension", true},
      {"*.*", ".hidden", true},
      {"", "anything", true},
      {"*", "x.y.z", true},
      // Letter case is ignored; the extension must be whole.
      {"*.eml", "news.EML", true},
      {"*.eml", "news.emlx", false},
      {"*.eml", "news.eml.tmp", false},
      {"*.eml", "eml", false},
      // "?" is one character, also a multi-byte one.
      {"?.nws", "a.nws", true},
      {"?.nws", "\xC3\xA9.nws", true},
      {"?.nws", "ab.nws", false},
      {"?.nws", ".nws", false},
      // Stars need back-tracking to match a later occurrence.
      {"msg*2*.eml", "msg_12_2.eml", true},
      {"msg*2*.eml", "msg.eml", false},
      {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "aXbYbZ", false},
      {"exact.eml", "exact.eml", true},
      {"exact.eml", "exact.em", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WildcardPattern(c.pattern).matches(c.name), c.matches)
        << "pattern " << c.pattern << " name " << c.name;
  }
}

TEST(WildcardPatternTest, ManyStarsOnALongMissStayFast) {
  // A naive recursive matcher takes exponential time here.
  const std::string name(20000, 'a');
  EXPECT_FALSE(WildcardPattern("*a*a*a*a*a*a*a*a*b").matches(name));
  EXPECT_TRUE(WildcardPattern("*a*a*a*a*a*a*a*a*").matches(name));
}

}  // namespace
}  // namespace mailvane::newswatch
