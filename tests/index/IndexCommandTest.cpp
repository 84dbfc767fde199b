// `mailvane index` run in-process, as a user would: update a folder, then search it.
#include <gtest/gtest.h>

#include <sstream>

#include "IndexTestSupport.h"
#include "cli/ModuleCommands.h"

namespace mailvane::cli {
namespace {

using mailvane::testing::TempDir;
using mailvane::testing::writeBytes;
using mailvane::testing::writeMessage;
namespace fs = std::filesystem;

struct Result {
  int status;
  std::string out;
  std::string err;
};

class IndexCommandTest : public ::testing::Test {
 protected:
  Result mailvane(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    Streams io{out, err, false};
    const int status = indexCommand(args, io);
    return {status, out.str(), err.str()};
  }
  Result update(std::vector<std::string> dirs) {
    std::vector<std::string> args = {"update", "--db", database.string()};
    args.insert(args.end(), dirs.begin(), dirs.end());
    return mailvane(args);
  }
  Result search(std::vector<std::string> words) {
    std::vector<std::string> args = {"search", "--db", database.string()};
    args.insert(args.end(), words.begin(), words.end());
    return mailvane(args);
  }

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
  EXPECT_EQ(search({"for", "lunch"}).out.find(".eml"), std::string::npos);
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
  EXPECT_NE(bad.err.find("cannot read the query"), std::string::npos);
}

TEST_F(IndexCommandTest, ReportsBadFoldersAndADamagedIndexButGoesOn) {
  writeMessage(news / "a.nws", "Alpha");
  const Result partly = update({(dir / "missing").string(), news.string()});
  EXPECT_EQ(partly.status, kExitSomeFailed);
  EXPECT_NE(partly.err.find("missing: not a folder"), std::string::npos);
  EXPECT_NE(partly.out.find("1 read"), std::string::npos);

  writeBytes(database, "garbage, not an index");
  const Result rebuilt = search({"alpha"});
  EXPECT_EQ(rebuilt.status, kExitOk);
  EXPECT_EQ(rebuilt.out, "");
  EXPECT_NE(rebuilt.err.find("started again"), std::string::npos);
}

TEST_F(IndexCommandTest, RefusesBadCommandLines) {
  EXPECT_EQ(mailvane({}).status, kExitUsage);
  EXPECT_EQ(mailvane({"rebuild"}).status, kExitUsage);
  EXPECT_EQ(mailvane({"search", "--db"}).status, kExitUsage);
  EXPECT_EQ(mailvane({"search", "--query", "x", "word"}).status, kExitUsage);
  EXPECT_EQ(mailvane({"update", "--query", "x"}).status, kExitUsage);
  const Result help = mailvane({"--help"});
  EXPECT_EQ(help.status, kExitOk);
  EXPECT_NE(help.out.find("mailvane index search"), std::string::npos);
}

}  // namespace
}  // namespace mailvane::cli
