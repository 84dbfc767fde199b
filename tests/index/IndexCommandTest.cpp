// `mailvane index` run in-process, as a user would: update a folder, then search it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "IndexTestSupport.h"
#include "cli/ModuleCommands.h"

namespace mailvane::cli {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using mailvane::testing::TempDir;
using mailvane::testing::writeBytes;
using mailvane::testing::writeMessage;
using Result = mailvane::testing::CommandRun;
namespace fs = std::filesystem;

class IndexCommandTest : public ::testing::Test {
 protected:
  Result mailvane(const std::vector<std::string>& args) {
    return mailvane::testing::runCommand(&indexCommand, args);
  }
  // `mailvane index VERB --db DATABASE MORE...`
  Result run(const char* verb, std::vector<std::string> more) {
    more.insert(more.begin(), {verb, "--db", database.string()});
    return mailvane(more);
  }
  Result update(const std::vector<std::string>& dirs) { return run("update", dirs); }
  Result search(const std::vector<std::string>& words) { return run("search", words); }

  TempDir dir;
  fs::path news = dir / "news";
  fs::path database = dir / "cache" / "index.sqlite";
};

TEST_F(IndexCommandTest, FindsNewsByWordsOfTheirSubjects) {
  writeMessage(news / "a.nws", "=?iso-8859-1?Q?Sm=F8rrebr=F8d?= for lunch");
  writeMessage(news / "b.nws", "Don't panic");
  writeMessage(news / "c.eml", "Lunch menu");
  const Result updated = update({news.string()});
  EXPECT_EQ(updated.status, kExitOk) << updated.err;
  EXPECT_EQ(updated.out, "3 message files: 3 read, 0 unchanged, 0 removed, 0 failed\n");

  const Result lunch = search({"LUNCH"});
  EXPECT_EQ(lunch.status, kExitOk);
  EXPECT_EQ(lunch.out, ".nws\tSmørrebrød for lunch\t" + (news / "a.nws").string() + "\n" +
                           ".eml\tLunch menu\t" + (news / "c.eml").string() + "\n");
  EXPECT_EQ(search({"don't", "panic"}).out, ".nws\tDon't panic\t" + (news / "b.nws").string() + "\n");
  EXPECT_THAT(search({"for", "lunch"}).out, Not(HasSubstr(".eml")));
  EXPECT_EQ(search({}).out.size(), lunch.out.size() + search({"panic"}).out.size());
  EXPECT_EQ(update({news.string()}).out,
            "3 message files: 0 read, 3 unchanged, 0 removed, 0 failed\n");
}

TEST_F(IndexCommandTest, RunsAWindowQueryTextAndReportsOneItCannotRead) {
  writeMessage(news / "a.nws", "Alpha");
  update({news.string()});
  const Result good = search(
      {"--query", "SELECT System.Title FROM SYSTEMINDEX WHERE CONTAINS(System.ItemNameDisplay,'a.n?s')"});
  EXPECT_EQ(good.out, ".nws\tAlpha\t" + (news / "a.nws").string() + "\n");
  const Result bad = search({"--query", "SELECT FROM"});
  EXPECT_EQ(bad.status, kExitSomeFailed);
  EXPECT_EQ(bad.out, "");
  EXPECT_THAT(bad.err, HasSubstr("cannot read the query"));
}

TEST_F(IndexCommandTest, ReportsBadFoldersAndADamagedIndexButGoesOn) {
  writeMessage(news / "a.nws", "Alpha");
  const Result partly = update({(dir / "missing").string(), news.string()});
  EXPECT_EQ(partly.status, kExitSomeFailed);
  EXPECT_THAT(partly.err, HasSubstr("missing: not a folder"));
  EXPECT_THAT(partly.out, HasSubstr("1 read"));

  writeBytes(database, "garbage, not an index");
  const Result rebuilt = search({"alpha"});
  EXPECT_EQ(rebuilt.status, kExitOk);
  EXPECT_EQ(rebuilt.out, "");
  EXPECT_THAT(rebuilt.err, HasSubstr("started again"));
}

TEST_F(IndexCommandTest, RefusesBadCommandLines) {
  EXPECT_EQ(mailvane({}).status, kExitUsage);
  EXPECT_EQ(mailvane({"rebuild"}).status, kExitUsage);
  EXPECT_EQ(mailvane({"search", "--db"}).status, kExitUsage);
  EXPECT_EQ(mailvane({"search", "--query", "x", "word"}).status, kExitUsage);
  EXPECT_EQ(mailvane({"update", "--query", "x"}).status, kExitUsage);
  const Result help = mailvane({"--help"});
  EXPECT_EQ(help.status, kExitOk);
  EXPECT_THAT(help.out, HasSubstr("mailvane index search"));
}

}  // namespace
}  // namespace mailvane::cli
