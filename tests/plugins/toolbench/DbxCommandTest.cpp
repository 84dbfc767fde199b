#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/cli/CliTestSupport.h"
#include "tests/plugins/toolbench/DbxBuilder.h"

namespace mailvane {
namespace {

using ::testing::HasSubstr;
using testing::runCommand;
using testing::TempDir;

const std::string kFirst = testing::oeMessage("Hello: there", "a.gif", "GIF89a-first");
const std::string kThird = testing::oeMessage("Bye", "b.gif", "GIF89a-third");

// Three messages; the middle one's chain loops, so it is never complete.
std::string writeFolder(const TempDir& dir) {
  dbx::test::DbxBuilder file;
  const uint32_t r1 = file.addMessage(1, "Hello: there", file.addChain(kFirst));
  const uint32_t loop = file.addChain(std::string(600, 'x'));
  file.putU32(loop + 0x210 + 12, loop);
  const uint32_t r2 = file.addMessage(2, "Caf\xE9", loop);
  const uint32_t r3 = file.addMessage(3, "Bye", file.addChain(kThird));
  file.setTree1(file.addTree({r1, r2, r3}, 1), 3);
  const std::string path = (dir / "Inbox.dbx").string();
  file.save(path);
  return path;
}

TEST(DbxCommand, ListShowsIndexSizeAndSubjectAndReportsBrokenMessages) {
  TempDir dir;
  const auto run = runCommand({"dbx", "list", writeFolder(dir)});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "0\t" + std::to_string(kFirst.size()) + "\tHello: there\n" +
                         "1\t-\tCaf\xC3\xA9\n2\t" + std::to_string(kThird.size()) + "\tBye\n");
  EXPECT_THAT(run.err, HasSubstr("message 1 is incomplete"));
}

TEST(DbxCommand, EmlWritesExactBytesAndNeverOverwrites) {
  TempDir dir;
  const std::string path = writeFolder(dir);
  const auto out = dir / "out";
  EXPECT_EQ(runCommand({"dbx", "eml", "-o", out.string(), path}).status, 1);
  EXPECT_EQ(runCommand({"dbx", "eml", path, "-o", out.string()}).status, 1);
  const auto tree = testing::treeOf(out);
  ASSERT_EQ(tree.size(), 4u) << ::testing::PrintToString(testing::namesIn(tree));
  EXPECT_EQ(tree.at("0000 Hello_ there.eml"), kFirst);
  EXPECT_EQ(tree.at("0000 Hello_ there1.eml"), kFirst);
  EXPECT_EQ(tree.at("0002 Bye.eml"), kThird);
}

TEST(DbxCommand, ExtractRunsEveryReadableMessageThroughTheExtraction) {
  TempDir dir;
  const std::string path = writeFolder(dir);
  const auto run = runCommand({"dbx", "extract", "-o", (dir / "x").string(), path});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("#1"));
  const auto tree = testing::treeOf(dir / "x");
  bool first = false, third = false;
  for (const auto& [name, bytes] : tree) {
    first = first || bytes == "GIF89a-first";
    third = third || bytes == "GIF89a-third";
  }
  EXPECT_TRUE(first && third) << ::testing::PrintToString(testing::namesIn(tree));
}

TEST(DbxCommand, RefusesWhatIsNotAMessageFolder) {
  TempDir dir;
  dbx::test::DbxBuilder(dbx::test::kFolderClass).save(dir / "Folders.dbx");
  const auto run = runCommand({"dbx", "list", (dir / "Folders.dbx").string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("folder list"));
  EXPECT_EQ(runCommand({"dbx", "eml", (dir / "Folders.dbx").string()}).status, 2);
  EXPECT_EQ(runCommand({"dbx", "frobnicate", "x"}).status, 2);
  EXPECT_EQ(runCommand({"dbx"}).status, 2);
}

}  // namespace
}  // namespace mailvane
