#include "index/Indexer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "IndexTestSupport.h"
#include "index/BackgroundIndexer.h"

namespace mailvane::index {
namespace {

using ::testing::HasSubstr;
using testing::TempDir;
using testing::writeBytes;
using testing::writeMessage;
namespace fs = std::filesystem;

std::vector<IndexRow> everything(IndexDatabase& db) { return db.search(IndexQuery{}); }

std::string titleOf(IndexDatabase& db, const fs::path& file) {
  for (const IndexRow& row : everything(db))
    if (row.url == "file:" + file.string()) return row.title;
  return "<missing>";
}

class IndexerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(db.open(dir / "cache" / "index.sqlite")) << db.error(); }

  ScanCounts scan() {
    Indexer indexer(db);
    indexer.setErrorHandler([this](const std::string& message) { errors.push_back(message); });
    return indexer.scan({root});
  }

  TempDir dir;
  fs::path root = dir / "news";
  IndexDatabase db;
  std::vector<std::string> errors;
};

TEST_F(IndexerTest, IndexesMessageFilesWithTheirDecodedSubjects) {
  writeMessage(root / "a.nws", "=?iso-8859-1?Q?K=F8benhavn?= news");
  writeMessage(root / "deep" / "er" / "b.eml", "Plain subject");
  writeMessage(root / "C.NWS", "Capitals");
  writeBytes(root / "no-subject.eml", "From: x\r\n\r\nSubject: body\r\n");
  writeMessage(root / "notes.txt", "not a message");
  const ScanCounts counts = scan();
  EXPECT_EQ(counts.seen, 4u);
  EXPECT_EQ(counts.indexed, 4u);
  EXPECT_EQ(counts.failed, 0u);

  // In path order, the extension as on disk.
  std::vector<std::string> rows;
  for (const IndexRow& row : everything(db))
    rows.push_back(row.url.substr(5 + root.string().size()) + " " + row.extension + " " +
                   row.title);
  EXPECT_EQ(rows, (std::vector<std::string>{"/C.NWS .NWS Capitals", "/a.nws .nws København news",
                                            "/deep/er/b.eml .eml Plain subject",
                                            "/no-subject.eml .eml "}));
}

TEST_F(IndexerTest, RescansOnlyWhatChangedAndDropsWhatIsGone) {
  writeMessage(root / "keep.nws", "Kept");
  writeMessage(root / "change.nws", "Before");
  writeMessage(root / "gone.nws", "Gone soon");
  scan();
  ASSERT_EQ(db.count(), 3);

  writeMessage(root / "change.nws", "After, and longer");
  fs::remove(root / "gone.nws");
  writeMessage(root / "new.eml", "New");
  const ScanCounts counts = scan();
  EXPECT_EQ(counts.unchanged, 1u);
  EXPECT_EQ(counts.indexed, 2u);
  EXPECT_EQ(counts.removed, 1u);
  EXPECT_EQ(titleOf(db, root / "change.nws"), "After, and longer");
  EXPECT_EQ(titleOf(db, root / "gone.nws"), "<missing>");
  EXPECT_EQ(titleOf(db, root / "new.eml"), "New");

  // Same size, new time: read again.
  writeMessage(root / "keep.nws", "Kopt");
  fs::last_write_time(root / "keep.nws", fs::last_write_time(root / "keep.nws") + std::chrono::hours(1));
  EXPECT_EQ(scan().indexed, 1u);
  EXPECT_EQ(titleOf(db, root / "keep.nws"), "Kopt");
}

TEST_F(IndexerTest, KeepsRowsOfOtherRootsWhoseFilesStillExist) {
  const fs::path other = dir / "other";
  writeMessage(other / "o.nws", "Other root");
  writeMessage(other / "gone.nws", "Other, gone");
  Indexer(db).scan({other});
  writeMessage(root / "r.nws", "This root");
  fs::remove(other / "gone.nws");
  const ScanCounts counts = scan();
  EXPECT_EQ(counts.removed, 1u);
  EXPECT_EQ(titleOf(db, other / "o.nws"), "Other root");
  EXPECT_EQ(titleOf(db, other / "gone.nws"), "<missing>");
}

TEST_F(IndexerTest, SkipsWhatIsNotAReadableMessageFileAndGoesOn) {
  writeMessage(root / "good.nws", "Good");
  fs::create_directories(root / "folder.nws");
  fs::create_symlink(root / "nowhere.eml", root / "dangling.eml");
  fs::create_symlink(root, root / "loop");  // a folder link is not followed
  const ScanCounts counts = scan();
  EXPECT_EQ(counts.indexed, 1u);
  EXPECT_EQ(counts.failed, 0u);
  EXPECT_EQ(db.count(), 1);
}

TEST_F(IndexerTest, ReportsUnreadableFilesAndDropsTheirRows) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  writeMessage(root / "locked.nws", "Locked");
  writeMessage(root / "open.nws", "Open");
  scan();
  ASSERT_EQ(db.count(), 2);
  writeMessage(root / "locked.nws", "Locked, and changed");
  fs::permissions(root / "locked.nws", fs::perms::none);
  const ScanCounts counts = scan();
  EXPECT_EQ(counts.failed, 1u);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_THAT(errors[0], HasSubstr("locked.nws"));
  EXPECT_EQ(titleOf(db, root / "locked.nws"), "<missing>");
  EXPECT_EQ(titleOf(db, root / "open.nws"), "Open");
}

TEST_F(IndexerTest, AMissingRootIsReportedAndItsRowsOfGoneFilesDropped) {
  writeMessage(root / "a.nws", "A");
  scan();
  fs::remove_all(root);
  const ScanCounts counts = scan();
  EXPECT_EQ(counts.failed, 1u);
  EXPECT_EQ(counts.removed, 1u);
  EXPECT_EQ(db.count(), 0);
}

TEST_F(IndexerTest, AStoppedScanKeepsWhatItWroteAndRemovesNothing) {
  writeMessage(root / "old.nws", "Old");
  scan();
  fs::remove(root / "old.nws");
  for (int i = 0; i < 20; ++i) writeMessage(root / ("m" + std::to_string(i) + ".nws"), "M");
  std::atomic<bool> stop{false};
  Indexer indexer(db);
  size_t calls = 0;
  indexer.setProgress([&](const ScanCounts&, const std::string&) { ++calls; });
  stop = true;
  const ScanCounts counts = indexer.scan({root}, &stop);
  EXPECT_TRUE(counts.stopped);
  EXPECT_EQ(counts.removed, 0u);
  EXPECT_EQ(calls, 1u);  // the final report
  EXPECT_EQ(titleOf(db, root / "old.nws"), "Old");
}

TEST_F(IndexerTest, WritesInBatchesLargerThanOneTransaction) {
  const size_t files = Indexer::kBatchSize + 10;
  for (size_t i = 0; i < files; ++i) writeMessage(root / ("m" + std::to_string(i) + ".eml"), "S");
  EXPECT_EQ(scan().indexed, files);
  IndexDatabase reader;
  ASSERT_TRUE(reader.open(dir / "cache" / "index.sqlite"));
  EXPECT_EQ(reader.count(), static_cast<int64_t>(files));
}

TEST(BackgroundIndexer, ScansOnItsOwnThreadAndCanBeStoppedAndStartedAgain) {
  TempDir dir;
  for (int i = 0; i < 50; ++i) writeMessage(dir / "news" / ("m" + std::to_string(i) + ".nws"), "M");
  const fs::path file = dir / "index.sqlite";
  {
    BackgroundIndexer indexer(file, {dir / "news"});
    ASSERT_TRUE(indexer.start());
    indexer.stop();  // wherever it was, it ends and its thread is joined
    EXPECT_FALSE(indexer.running());
    ASSERT_TRUE(indexer.start());
    indexer.wait();
    EXPECT_FALSE(indexer.lastCounts().stopped);
    EXPECT_EQ(indexer.lastCounts().seen, 50u);
    EXPECT_EQ(indexer.lastError(), "");
  }
  IndexDatabase db;
  ASSERT_TRUE(db.open(file));
  EXPECT_EQ(db.count(), 50);
  {
    BackgroundIndexer failing(dir / "news" / "m0.nws" / "index.sqlite", {dir / "news"});
    ASSERT_TRUE(failing.start());
    failing.wait();
    EXPECT_TRUE(failing.lastCounts().databaseFailed);
    EXPECT_NE(failing.lastError(), "");
  }
}

TEST_F(IndexerTest, AScanThatWentEverywhereRecordsWhenItEnded) {
  writeMessage(root / "a.nws", "A");
  EXPECT_EQ(db.lastUpdate(), std::nullopt);
  const std::atomic<bool> stopNow{true};
  Indexer(db).scan({root}, &stopNow);
  EXPECT_EQ(db.lastUpdate(), std::nullopt);  // a stopped scan did not go everywhere

  const auto seconds = [] {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
  };
  const int64_t before = seconds();
  fs::permissions(root / "a.nws", fs::perms::none);  // an unreadable file does not count
  scan();
  const int64_t after = seconds();
  ASSERT_TRUE(db.lastUpdate());
  EXPECT_GE(*db.lastUpdate(), before);
  EXPECT_LE(*db.lastUpdate(), after);
}

}  // namespace
}  // namespace mailvane::index
