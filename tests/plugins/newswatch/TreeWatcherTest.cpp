#include "plugins/newswatch/TreeWatcher.h"
#include "plugins/newswatch/WildcardPattern.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <sys/inotify.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace mailvane::newswatch {
namespace {

using ::testing::HasSubstr;

// A watched folder and a folder beside it that is not watched.
class TempTree {
 public:
  TempTree() {
    fs::create_directories(watched());
    fs::create_directories(outside());
  }
  fs::path watched() const { return dir_ / "watched"; }
  fs::path outside() const { return dir_ / "outside"; }

 private:
  testing::TempDir dir_{"newswatch"};
};

void writeFile(const fs::path& path, const std::string& content = "x") {
  std::ofstream(path) << content;
}

// Reads until the file `last` is reported (generous time-out), so every earlier event has
// been read too: what was not reported by then was never going to be.
std::vector<std::string> readUntil(TreeWatcher& watcher, const fs::path& last) {
  std::vector<std::string> seen;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < giveUp) {
    pollfd ready{watcher.fd(), POLLIN, 0};
    ::poll(&ready, 1, 100);
    for (const CreatedFile& file : watcher.readEvents()) seen.push_back(file.fullPath);
    if (std::find(seen.begin(), seen.end(), last.string()) != seen.end()) return seen;
  }
  ADD_FAILURE() << "never reported: " << last;
  return seen;
}

// Writes `last` as a marker and returns everything reported before it.
std::vector<std::string> reportsBefore(TreeWatcher& watcher, const fs::path& last) {
  writeFile(last);
  std::vector<std::string> seen = readUntil(watcher, last);
  if (!seen.empty() && seen.back() == last.string()) seen.pop_back();
  return seen;
}

std::vector<std::string> strings(std::initializer_list<fs::path> paths) {
  std::vector<std::string> out;
  for (const fs::path& path : paths) out.push_back(path.string());
  return out;
}

TEST(TreeWatcherTest, ReportsNewFilesOnceButNotTheOnesAlreadyThere) {
  TempTree tree;
  const fs::path root = tree.watched();
  writeFile(root / "old.eml");
  TreeWatcher watcher;
  ASSERT_TRUE(watcher.start(root.string() + "/", true)) << watcher.error();

  writeFile(root / "new.eml", "");
  {
    std::ofstream again(root / "new.eml", std::ios::app);
    again << "more";  // a second write and close is no second creation
  }
  writeFile(root / "old.eml", "rewritten");
  EXPECT_EQ(reportsBefore(watcher, root / "mark1"), strings({root / "new.eml"}));

  fs::remove(root / "new.eml");
  writeFile(root / "new.eml");  // deleted and made again: a new file
  EXPECT_EQ(reportsBefore(watcher, root / "mark2"), strings({root / "new.eml"}));
}

TEST(TreeWatcherTest, CoversExistingAndNewSubFolders) {
  TempTree tree;
  const fs::path root = tree.watched();
  fs::create_directories(root / "old" / "deep");
  TreeWatcher watcher;
  ASSERT_TRUE(watcher.start(root.string(), true));

  writeFile(root / "old" / "deep" / "1.eml");
  // Files written straight after mkdir may beat the new folder's watch: the scan of the
  // new folder must find them, and the late events must not report them again.
  fs::create_directories(root / "new" / "a" / "b");
  writeFile(root / "new" / "2.eml");
  writeFile(root / "new" / "a" / "b" / "3.eml");
  const std::vector<std::string> seen = reportsBefore(watcher, root / "new" / "a" / "b" / "mark");
  const std::set<std::string> unique(seen.begin(), seen.end());
  EXPECT_EQ(unique.size(), seen.size()) << "a file was reported twice";
  EXPECT_EQ(unique, std::set<std::string>({(root / "old" / "deep" / "1.eml").string(),
                                           (root / "new" / "2.eml").string(),
                                           (root / "new" / "a" / "b" / "3.eml").string()}));
}

TEST(TreeWatcherTest, AWatchedFolderReachedThroughALinkIsWatched) {
  TempTree tree;
  fs::create_directories(tree.outside() / "real" / "sub");
  const fs::path link = tree.watched() / "drive";
  fs::create_directory_symlink(tree.outside() / "real", link);
  // A link inside the tree back to its top must not be walked.
  fs::create_directory_symlink(tree.outside() / "real", tree.outside() / "real" / "loop");
  TreeWatcher watcher;
  ASSERT_TRUE(watcher.start(link.string(), true)) << watcher.error();
  EXPECT_EQ(watcher.watchedFolders(), 2u);
  writeFile(link / "sub" / "1.eml");
  EXPECT_EQ(reportsBefore(watcher, link / "mark"), strings({link / "sub" / "1.eml"}));
}

TEST(TreeWatcherTest, WithoutSubFoldersOnlyTheTopFolderCounts) {
  TempTree tree;
  const fs::path root = tree.watched();
  fs::create_directories(root / "sub");
  TreeWatcher watcher;
  ASSERT_TRUE(watcher.start(root.string(), false));
  writeFile(root / "sub" / "1.eml");
  fs::create_directories(root / "later");
  writeFile(root / "later" / "2.eml");
  EXPECT_TRUE(reportsBefore(watcher, root / "mark").empty());
  EXPECT_EQ(watcher.watchedFolders(), 1u);
}

TEST(TreeWatcherTest, MovesAndRenames) {
  TempTree tree;
  const fs::path root = tree.watched();
  fs::create_directories(root / "box");
  writeFile(root / "box" / "kept.eml");
  fs::create_directories(tree.outside() / "import");
  writeFile(tree.outside() / "import" / "i1.eml");
  writeFile(tree.outside() / "moved.eml");
  TreeWatcher watcher;
  ASSERT_TRUE(watcher.start(root.string(), true));

  // A file moved in, an editor's temporary name renamed to the final one, and a folder
  // moved in with its files: all new here.
  fs::rename(tree.outside() / "moved.eml", root / "moved.eml");
  writeFile(root / "draft.eml.tmp");
  fs::rename(root / "draft.eml.tmp", root / "draft.eml");
  fs::rename(tree.outside() / "import", root / "import");
  std::vector<std::string> seen = reportsBefore(watcher, root / "mark1");
  EXPECT_EQ(seen, strings({root / "moved.eml", root / "draft.eml.tmp", root / "draft.eml",
                           root / "import" / "i1.eml"}));

  // A folder renamed inside the tree holds nothing new, and is watched under its new name.
  fs::rename(root / "box", root / "renamed");
  writeFile(root / "renamed" / "after.eml");
  EXPECT_EQ(reportsBefore(watcher, root / "mark2"), strings({root / "renamed" / "after.eml"}));

  // A folder moved out is no longer watched.
  fs::rename(root / "renamed", tree.outside() / "gone");
  writeFile(tree.outside() / "gone" / "outside.eml");
  EXPECT_TRUE(reportsBefore(watcher, root / "mark3").empty());
}

TEST(TreeWatcherTest, OverflowRescanReportsWhatWasNotReportedYet) {
  TempTree tree;
  const fs::path root = tree.watched();
  writeFile(root / "before.eml");
  TreeWatcher watcher;
  ASSERT_TRUE(watcher.start(root.string(), true));
  writeFile(root / "reported.eml");
  readUntil(watcher, root / "reported.eml");

  // Files appear while the queue is lost: the kernel's own events stay unread, as if
  // dropped, and the overflow record arrives first.
  fs::create_directories(root / "sub");
  writeFile(root / "sub" / "s1.eml");
  writeFile(root / "lost1.eml");
  fs::remove(root / "reported.eml");
  inotify_event overflow{};
  overflow.wd = -1;
  overflow.mask = IN_Q_OVERFLOW;
  watcher.processEvents(reinterpret_cast<const char*>(&overflow), sizeof overflow);

  const std::vector<std::string> seen = reportsBefore(watcher, root / "sub" / "mark");
  EXPECT_EQ(std::set<std::string>(seen.begin(), seen.end()),
            std::set<std::string>({(root / "sub" / "s1.eml").string(),
                                   (root / "lost1.eml").string()}));
  EXPECT_EQ(seen.size(), 2u);
  // The removed file was forgotten by the rescan: made again, it is new.
  writeFile(root / "reported.eml");
  EXPECT_EQ(reportsBefore(watcher, root / "mark2"), strings({root / "reported.eml"}));
}

TEST(TreeWatcherTest, RealQueueOverflowLosesNoFile) {
  std::ifstream limitFile("/proc/sys/fs/inotify/max_queued_events");
  std::size_t queueLimit = 0;
  limitFile >> queueLimit;
  if (queueLimit == 0 || queueLimit > 200000) GTEST_SKIP() << "queue too long to fill fast";
  TempTree tree;
  const fs::path root = tree.watched();
  const std::string busy[2] = {(root / "busy-a").string(), (root / "busy-b").string()};
  writeFile(busy[0]);
  writeFile(busy[1]);
  TreeWatcher watcher;
  ASSERT_TRUE(watcher.start(root.string(), true));
  // Fill the unread queue with cheap events (two names in turn: identical neighbours
  // would be merged), so the events of the files made next are lost.
  for (std::size_t i = 0; i <= queueLimit; ++i) {
    const int fd = ::open(busy[i % 2].c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ::close(fd);
  }
  std::vector<std::string> made;
  for (int i = 0; i < 300; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "%04d.eml", i);
    writeFile(root / name);
    made.push_back((root / name).string());
  }
  std::vector<std::string> seen = reportsBefore(watcher, root / "zz-mark");
  EXPECT_GE(watcher.rescans(), 1u) << "the queue did not overflow";
  EXPECT_EQ(seen, made);
}

TEST(TreeWatcherTest, WatchLimitIsReportedAndTheOtherFoldersStayWatched) {
  TempTree tree;
  const fs::path root = tree.watched();
  fs::create_directories(root / "ok");
  fs::create_directories(root / "full");
  const auto limited = [](int fd, const char* path, std::uint32_t mask) {
    if (std::strstr(path, "full")) {
      errno = ENOSPC;
      return -1;
    }
    return ::inotify_add_watch(fd, path, mask);
  };
  TreeWatcher watcher(limited);
  ASSERT_TRUE(watcher.start(root.string(), true)) << watcher.error();
  std::vector<std::string> notices = watcher.takeNotices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_THAT(notices[0], HasSubstr("max_user_watches"));
  EXPECT_THAT(notices[0], HasSubstr((root / "full").string()));

  writeFile(root / "full" / "unseen.eml");
  writeFile(root / "ok" / "seen.eml");
  fs::create_directories(root / "ok" / "full2");
  EXPECT_EQ(reportsBefore(watcher, root / "mark"), strings({root / "ok" / "seen.eml"}));
  notices = watcher.takeNotices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_THAT(notices[0], HasSubstr("full2"));
}

TEST(TreeWatcherTest, StartFailuresSayWhy) {
  TempTree tree;
  TreeWatcher watcher;
  EXPECT_FALSE(watcher.start((tree.watched() / "missing").string(), true));
  EXPECT_THAT(watcher.error(), HasSubstr("missing"));
  EXPECT_FALSE(watcher.active());
  writeFile(tree.watched() / "file");
  EXPECT_FALSE(watcher.start((tree.watched() / "file").string(), true));
  EXPECT_FALSE(watcher.start("", true));

  const auto noWatches = [](int, const char*, std::uint32_t) {
    errno = ENOSPC;
    return -1;
  };
  TreeWatcher full(noWatches);
  EXPECT_FALSE(full.start(tree.watched().string(), true));
  EXPECT_THAT(full.error(), HasSubstr("max_user_watches"));
  EXPECT_FALSE(full.active());
}

TEST(WildcardPatternTest, MatchesNamesLikeTheListenerFilters) {
  const struct {
    const char* pattern;
    std::vector<const char*> matching, other;
  } cases[] = {
      // "*.*" is what the windows set: every name, also one without a dot.
      {"*.*", {"message.eml", "noextension", ".hidden"}, {}},
      {"", {"anything"}, {}},
      {"*", {"x.y.z"}, {}},
      // Letter case is ignored; the extension must be whole.
      {"*.eml", {"news.EML"}, {"news.emlx", "news.eml.tmp", "eml"}},
      // "?" is one character, also a multi-byte one.
      {"?.nws", {"a.nws", "\xC3\xA9.nws"}, {"ab.nws", ".nws"}},
      // Stars need back-tracking to match a later occurrence.
      {"msg*2*.eml", {"msg_12_2.eml"}, {"msg.eml"}},
      {"a*b*c", {"aXbYbZc"}, {"aXbYbZ"}},
      {"exact.eml", {"exact.eml"}, {"exact.em"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("pattern ") + c.pattern);
    const WildcardPattern pattern(c.pattern);
    for (const char* name : c.matching) EXPECT_TRUE(pattern.matches(name)) << name;
    for (const char* name : c.other) EXPECT_FALSE(pattern.matches(name)) << name;
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
