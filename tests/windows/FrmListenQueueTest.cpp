// The queue of reported files: when a file counts as written, the order files leave in,
// and which ones are given up.

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "windows/FrmListen/ArrivalQueue.h"

namespace mailvane {
namespace {

using std::chrono::milliseconds;
using Sizes = std::map<std::string, std::optional<std::uintmax_t>>;

// One look of the poll timer: the files as they stand then, and what must come out.
struct Look {
  int atMs;
  Sizes sizes;
  std::vector<std::string> ready;
  size_t stillWaiting;
};

struct QueueCase {
  const char* name;
  Sizes atReport;  // the files reported, in this order, and their sizes then
  std::vector<std::string> reported;
  std::vector<Look> looks;
};

const std::optional<std::uintmax_t> gone;

const QueueCase kCases[] = {
    {"a file renamed into place is ready at the first look",
     {{"a.eml", 300}},
     {"a.eml"},
     {{1500, {{"a.eml", 300}}, {"a.eml"}, 0}}},
    {"a file filled after its report waits one more look",
     {{"a.eml", 0}},
     {"a.eml"},
     {{1500, {{"a.eml", 300}}, {}, 1}, {3000, {{"a.eml", 300}}, {"a.eml"}, 0}}},
    {"a file written in pieces waits until it stops growing",
     {{"a.eml", 0}},
     {"a.eml"},
     {{1500, {{"a.eml", 100}}, {}, 1},
      {3000, {{"a.eml", 250}}, {}, 1},
      {4500, {{"a.eml", 250}}, {"a.eml"}, 0}}},
    {"a file being written holds back the complete ones reported after it",
     {{"a.eml", 0}, {"b.eml", 0}, {"c.eml", 0}},
     {"a.eml", "b.eml", "c.eml"},
     {{1500, {{"a.eml", 90}, {"b.eml", 0}, {"c.eml", 0}}, {}, 3},
      {3000, {{"a.eml", 200}, {"b.eml", 0}, {"c.eml", 0}}, {}, 3},
      {4500, {{"a.eml", 200}, {"b.eml", 80}, {"c.eml", 0}}, {"a.eml"}, 2},
      {6000, {{"a.eml", 200}, {"b.eml", 80}, {"c.eml", 70}}, {"b.eml"}, 1},
      {7500, {{"a.eml", 200}, {"b.eml", 80}, {"c.eml", 70}}, {"c.eml"}, 0}}},
    {"a file gone at a look is dropped and holds nothing back",
     {{"a.eml", 0}, {"b.eml", 10}},
     {"a.eml", "b.eml"},
     {{1500, {{"a.eml", gone}, {"b.eml", 10}}, {"b.eml"}, 0}}},
    {"a file empty for the give-up time is dropped, and the next one goes on",
     {{"a.eml", 0}, {"b.eml", 10}},
     {"a.eml", "b.eml"},
     {{30000, {{"a.eml", 0}, {"b.eml", 10}}, {}, 2},
      {59999, {{"a.eml", 0}, {"b.eml", 10}}, {}, 2},
      {60000, {{"a.eml", 0}, {"b.eml", 10}}, {"b.eml"}, 0}}},
    {"the give-up time counts from the last change, not from the report",
     {{"a.eml", 0}},
     {"a.eml"},
     {{30000, {{"a.eml", 10}}, {}, 1},
      {31000, {{"a.eml", 0}}, {}, 1},
      {90999, {{"a.eml", 0}}, {}, 1},
      {91000, {{"a.eml", 0}}, {}, 0}}},
};

TEST(ArrivalQueue, LooksGiveTheExpectedFiles) {
  for (const QueueCase& c : kCases) {
    SCOPED_TRACE(c.name);
    Sizes now = c.atReport;
    ArrivalQueue queue([&](const std::string& path) { return now.at(path); });
    const auto start = ArrivalQueue::Clock::time_point{};
    for (const std::string& path : c.reported) ASSERT_TRUE(queue.add(path, start));
    for (const Look& look : c.looks) {
      now = look.sizes;
      EXPECT_EQ(queue.takeReady(start + milliseconds(look.atMs)), look.ready) << look.atMs << " ms";
      EXPECT_EQ(queue.size(), look.stillWaiting) << look.atMs << " ms";
    }
  }
}

TEST(ArrivalQueue, AFileReportedTwiceWaitsOnce) {
  ArrivalQueue queue([](const std::string&) { return std::optional<std::uintmax_t>(5); });
  const auto start = ArrivalQueue::Clock::time_point{};
  EXPECT_TRUE(queue.add("a.eml", start));
  EXPECT_FALSE(queue.add("a.eml", start));
  EXPECT_EQ(queue.takeReady(start), std::vector<std::string>{"a.eml"});
  // Once handed out it may be reported again (the listener decides what that means).
  EXPECT_TRUE(queue.add("a.eml", start));
}

}  // namespace
}  // namespace mailvane
