// Searches as the window makes them: query text in, rows out, over a real index file.
#include <gtest/gtest.h>

#include "IndexTestSupport.h"
#include "index/IndexDatabase.h"
#include "index/Indexer.h"

namespace mailvane::index {
namespace {

using testing::TempDir;
using testing::writeBytes;
using testing::writeMessage;
namespace fs = std::filesystem;

class IndexSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::pair<const char*, const char*> messages[] = {
        {"red-car.nws", "My red car"},
        {"redcar.nws", "Redcar harbour"},
        {"red-big-car.nws", "red big car"},
        {"dont.nws", "I don't know"},
        {"quotes.eml", "He said \"hi\" and `bye\xC2\xB4"},
        {"percent.nws", "100% sure_thing"},
        {"accents.nws", "=?utf-8?Q?=C3=86bler_og_p=C3=A6rer?="},
        {"sql.nws", "files'; DROP TABLE files; --"},
        {"Weekly Digest.nws", "nothing in the title"},
    };
    for (const auto& [name, subject] : messages) writeMessage(root / name, subject);
    ASSERT_TRUE(db.open(dir / "index.sqlite"));
    Indexer(db).scan({root});
  }

  // File names of the rows a search for the typed words returns, in the order returned.
  std::vector<std::string> find(std::string_view words) { return namesOf(buildIndexQuery(words)); }

  std::vector<std::string> namesOf(std::string_view queryText) {
    std::string error;
    const auto query = parseIndexQuery(queryText, error);
    EXPECT_TRUE(query) << error;
    if (!query) return {};
    std::vector<std::string> names;
    for (const IndexRow& row : db.search(*query)) names.push_back(fs::path(row.url).filename());
    EXPECT_EQ(db.error(), "");
    return names;
  }

  TempDir dir;
  fs::path root = dir / "news";
  IndexDatabase db;
};

using Names = std::vector<std::string>;

TEST_F(IndexSearchTest, NoConditionListsEverythingInPathOrder) {
  const Names all = find("");
  ASSERT_EQ(all.size(), 9u);
  EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
}

TEST_F(IndexSearchTest, WordsMatchInsideTitlesWithoutRegardToCase) {
  EXPECT_EQ(find("RED CAR"), (Names{"red-car.nws"}));  // the space stands for one character
  EXPECT_EQ(find("redcar"), (Names{"redcar.nws"}));
  EXPECT_EQ(find("big-car"), (Names{"red-big-car.nws"}));  // by its file name
  EXPECT_EQ(find("arbou"), (Names{"redcar.nws"}));
  EXPECT_EQ(find("æbler og PÆRER"), (Names{"accents.nws"}));
  EXPECT_EQ(find("weekly digest"), (Names{"Weekly Digest.nws"}));
  EXPECT_EQ(find("no such words"), Names{});
}

TEST_F(IndexSearchTest, QuestionMarksAndStarsAreWildcards) {
  EXPECT_EQ(find("red?car"), (Names{"red-car.nws"}));
  EXPECT_EQ(find("red*car"), (Names{"red-big-car.nws", "red-car.nws", "redcar.nws"}));
  EXPECT_EQ(find("r?d b?g"), (Names{"red-big-car.nws"}));
  EXPECT_EQ(find("bi???car"), Names{});
}

TEST_F(IndexSearchTest, ApostrophesAndOtherQuotesAreSearchedForLiterally) {
  EXPECT_EQ(find("don't"), (Names{"dont.nws"}));
  EXPECT_EQ(find("\"hi\""), (Names{"quotes.eml"}));
  EXPECT_EQ(find("`bye\xC2\xB4"), (Names{"quotes.eml"}));
  EXPECT_EQ(find("'"), (Names{"dont.nws", "sql.nws"}));
}

TEST_F(IndexSearchTest, SqlLookingWordsAreOnlyWords) {
  EXPECT_EQ(find("'; DROP TABLE files; --"), (Names{"sql.nws"}));
  EXPECT_EQ(find("x' OR '1'='1"), Names{});
  EXPECT_EQ(find("%"), (Names{"percent.nws"}));
  EXPECT_EQ(find("d_n"), Names{});  // "_" is a plain character, not a wildcard
  EXPECT_EQ(find("e_thing"), (Names{"percent.nws"}));
  EXPECT_EQ(find("").size(), 9u);  // the table is still there
}

TEST_F(IndexSearchTest, RowsCarryExtensionTitleAndFileUrl) {
  std::string error;
  const auto rows = db.search(*parseIndexQuery(buildIndexQuery("harbour"), error));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].extension, ".nws");
  EXPECT_EQ(rows[0].title, "Redcar harbour");
  EXPECT_EQ(rows[0].url, "file:" + (root / "redcar.nws").string());
}

TEST_F(IndexSearchTest, ConditionsOnOneFieldOnly) {
  EXPECT_EQ(namesOf("SELECT * FROM SYSTEMINDEX WHERE CONTAINS(System.Title,'*redcar*',1044)"),
            (Names{"redcar.nws"}));
  EXPECT_EQ(namesOf("SELECT * FROM SYSTEMINDEX WHERE CONTAINS(System.ItemNameDisplay,'big')"),
            (Names{"red-big-car.nws"}));
}

TEST_F(IndexSearchTest, TakesTheQueryTextItselfAndRefusesTextItCannotRead) {
  EXPECT_EQ(db.search(buildIndexQuery("harbour")).size(), 1u);
  EXPECT_EQ(db.error(), "");
  EXPECT_TRUE(db.search("SELECT * FROM SYSTEMINDEX WHERE CONTAINS(System.Title,'don't')").empty());
  EXPECT_NE(db.error().find("cannot read the query"), std::string::npos);
  EXPECT_EQ(db.search(buildIndexQuery("")).size(), 9u);  // and the next search works
}

TEST(IndexDatabaseFile, AnEmptyIndexAnswersWithNoRows) {
  TempDir dir;
  IndexDatabase db;
  ASSERT_TRUE(db.open(dir / "new" / "index.sqlite"));
  EXPECT_TRUE(db.search(IndexQuery{}).empty());
  EXPECT_EQ(db.error(), "");
  EXPECT_FALSE(db.wasRebuilt());
}

TEST(IndexDatabaseFile, ADamagedFileIsMovedAsideAndStartedAgain) {
  TempDir dir;
  const fs::path file = dir / "index.sqlite";
  for (const std::string& garbage : {std::string("not a database at all"),
                                    std::string(8192, '\xFF'), std::string("SQLite format 3\0", 16) + std::string(4096, 'x')}) {
    writeBytes(file, garbage);
    IndexDatabase db;
    ASSERT_TRUE(db.open(file)) << db.error();
    EXPECT_TRUE(db.wasRebuilt());
    EXPECT_TRUE(db.search(IndexQuery{}).empty());
    EXPECT_TRUE(fs::exists(dir / "index.sqlite.corrupt"));
    writeMessage(dir / "news" / "a.nws", "Works again");
    EXPECT_EQ(Indexer(db).scan({dir / "news"}).indexed, 1u);
    EXPECT_EQ(db.count(), 1);
  }
}

TEST(IndexDatabaseFile, DamageInsideAnIndexIsFoundWhenItIsOpened) {
  TempDir dir;
  const fs::path file = dir / "index.sqlite";
  for (int i = 0; i < 300; ++i)
    writeMessage(dir / "news" / ("m" + std::to_string(i) + ".nws"), std::string(200, 'x'));
  {
    IndexDatabase db;
    ASSERT_TRUE(db.open(file));
    Indexer(db).scan({dir / "news"});
    ASSERT_EQ(db.count(), 300);
  }
  {
    // The header and the table list stay intact; the pages of the rows do not.
    std::fstream raw(file, std::ios::in | std::ios::out | std::ios::binary);
    raw.seekp(8192);
    const std::string noise(16384, '\x5A');
    raw.write(noise.data(), static_cast<std::streamsize>(noise.size()));
  }
  IndexDatabase db;
  ASSERT_TRUE(db.open(file));
  EXPECT_TRUE(db.wasRebuilt());
  EXPECT_TRUE(db.search(IndexQuery{}).empty());
}

TEST(IndexDatabaseFile, APathThatCannotHoldAnIndexIsAnErrorNotACrash) {
  TempDir dir;
  writeBytes(dir / "plain-file", "x");
  IndexDatabase db;
  EXPECT_FALSE(db.open(dir / "plain-file" / "index.sqlite"));
  EXPECT_NE(db.error(), "");
  EXPECT_TRUE(db.search(IndexQuery{}).empty());
  EXPECT_NE(db.error(), "");
}

}  // namespace
}  // namespace mailvane::index
