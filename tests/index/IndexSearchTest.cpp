// Searches as the window makes them: query text in, rows out, over a real index file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <functional>

#include "IndexTestSupport.h"
#include "index/IndexDatabase.h"
#include "index/Indexer.h"
#include "index/TextFold.h"

namespace mailvane::index {
namespace {

using ::testing::HasSubstr;
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

TEST_F(IndexSearchTest, TypedWordsMatchInsideTitlesOrFileNamesWithoutRegardToCase) {
  const Names all = find("");
  ASSERT_EQ(all.size(), 9u);
  EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));  // in path order
  const struct {
    const char* words;
    Names names;
  } cases[] = {
      {"RED CAR", {"red-car.nws"}},  // the space stands for one character
      {"redcar", {"redcar.nws"}},
      {"big-car", {"red-big-car.nws"}},  // by its file name
      {"arbou", {"redcar.nws"}},
      {"æbler og PÆRER", {"accents.nws"}},
      {"weekly digest", {"Weekly Digest.nws"}},
      {"no such words", {}},
      // "?" is one character and "*" any number of them.
      {"red?car", {"red-car.nws"}},
      {"red*car", {"red-big-car.nws", "red-car.nws", "redcar.nws"}},
      {"r?d b?g", {"red-big-car.nws"}},
      {"bi???car", {}},
      // Quotes are searched for literally, and what looks like SQL is only words.
      {"don't", {"dont.nws"}},
      {"\"hi\"", {"quotes.eml"}},
      {"`bye\xC2\xB4", {"quotes.eml"}},
      {"'", {"dont.nws", "sql.nws"}},
      {"'; DROP TABLE files; --", {"sql.nws"}},
      {"x' OR '1'='1", {}},
      {"%", {"percent.nws"}},
      {"d_n", {}},  // "_" is a plain character, not a wildcard
      {"e_thing", {"percent.nws"}},
  };
  for (const auto& c : cases) EXPECT_EQ(find(c.words), c.names) << c.words;
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
  EXPECT_THAT(db.error(), HasSubstr("cannot read the query"));
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

// The characters LIKE sees: a byte from 0xC0 up takes the continuation bytes after it,
// every other byte stands alone.
std::vector<std::string> likeCharacters(std::string_view text) {
  std::vector<std::string> units;
  for (size_t i = 0; i < text.size();) {
    size_t end = i + 1;
    if (static_cast<unsigned char>(text[i]) >= 0xC0)
      while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    units.emplace_back(text.substr(i, end - i));
    i = end;
  }
  return units;
}

// The pattern anywhere inside the text, "*" any characters and "?" one: what the search
// meant before any word table narrowed it, written out the slow, plain way.
bool matchesAnywhere(std::string_view pattern, std::string_view text) {
  const auto p = likeCharacters(foldCase(pattern));
  const auto t = likeCharacters(foldCase(text));
  std::function<bool(size_t, size_t)> from = [&](size_t i, size_t j) -> bool {
    if (i == p.size()) return true;  // the rest of the text is free
    if (p[i] == "*") return from(i + 1, j) || (j < t.size() && from(i, j + 1));
    return j < t.size() && (p[i] == "?" || p[i] == t[j]) && from(i + 1, j + 1);
  };
  for (size_t start = 0; start <= t.size(); ++start)
    if (from(0, start)) return true;
  return false;
}

TEST(IndexSearchWords, TheWordTableNeverChangesWhatASearchFinds) {
  TempDir dir;
  const fs::path root = dir / "news";
  const std::pair<std::string, std::string> messages[] = {
      {"1.nws", "My red car"},
      {"2.nws", "Redcar harbour"},
      {"3.nws", "red big car"},
      {"4.nws", "I don't know \"hi\""},
      {"5.nws", "=?utf-8?Q?=C3=86bler_og_p=C3=A6rer_Stra=C3=9Fe?="},
      {"6.nws", "=?utf-8?B?zprOsc67zrfOvM6tz4HOsSDOus+Mz4POvM61?="},  // Greek
      {"7.nws", "=?utf-8?B?0J/RgNC40LLQtdGCINC80LjRgA==?="},          // Cyrillic
      {"8.nws", "=?utf-8?B?8J+alyByZWQgY2FyIPCfmpc=?="},              // a car, red car, a car
      {"9.nws", "100% sure_thing"},
      {"caf\xE9 red.nws", "latin-1 file name"},
      {"\xC3\xA9\x80red.nws", "stray byte in the name"},
      {"RED-CAR-NOTES.NWS", "capitals in the name"},
      {"a.eml", "short"},
  };
  for (const auto& [name, subject] : messages) writeMessage(root / name, subject);
  IndexDatabase db;
  ASSERT_TRUE(db.open(dir / "index.sqlite"));
  Indexer(db).scan({root});
  const std::vector<IndexRow> all = db.search(IndexQuery{});
  ASSERT_EQ(all.size(), std::size(messages));

  for (const std::string words : {"red", "RED CAR", "ed c", "arbou", "æbler", "STRASSE", "straße",
                                  "Æ", "καλημέρα", "ΚΑΛΗΜΈΡΑ", "привет", "ПРИВЕТ МИР",
                                  "\xF0\x9F\x9A\x97", "\xF0\x9F\x9A\x97 red", "100%", "e_th",
                                  "don't", "'", "\"hi\"", "sure?thing", "r*d", "r?d", "red*car",
                                  "a", "sh", "xyz", "nws", ".NWS", "caf", "red.nws", "\x80red",
                                  "\xE9 red", "é?red", "notes", "re?-c", "**", "??", "*red*car*",
                                  "%_\\", "a\\b"}) {
    std::vector<std::string> expected;
    for (const IndexRow& row : all) {
      const std::string path = row.url.substr(5);
      std::string pattern = "*" + words + "*";
      std::replace(pattern.begin(), pattern.end(), ' ', '?');
      if (matchesAnywhere(pattern, row.title) ||
          matchesAnywhere(pattern, fs::path(path).filename().string()))
        expected.push_back(row.url);
    }
    std::vector<std::string> found;
    for (const IndexRow& row : db.search(buildIndexQuery(words))) found.push_back(row.url);
    EXPECT_EQ(db.error(), "") << words;
    EXPECT_EQ(found, expected) << words;
  }
}

TEST(IndexDatabaseFile, AnIndexOfTheFirstVersionIsCarriedOverWithItsRows) {
  TempDir dir;
  const fs::path file = dir / "index.sqlite";
  const fs::path news = dir / "news";
  writeMessage(news / "a.nws", "Old red car");
  writeMessage(news / "b.eml", "Old mail");
  {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
    const std::string sql =
        "CREATE TABLE files(path TEXT PRIMARY KEY NOT NULL, extension TEXT NOT NULL,"
        " title TEXT NOT NULL, title_folded TEXT NOT NULL, name_folded TEXT NOT NULL,"
        " size INTEGER NOT NULL, mtime INTEGER NOT NULL) WITHOUT ROWID;"
        "INSERT INTO files VALUES('" +
        (news / "a.nws").string() +
        "', '.nws', 'Old red car',"
        " 'old red car', 'a.nws', 1, 1);"
        "INSERT INTO files VALUES('" +
        (news / "b.eml").string() +
        "', '.eml', 'Old mail',"
        " 'old mail', 'b.eml', 1, 1);"
        "PRAGMA user_version=1;";
    ASSERT_EQ(sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
  }
  IndexDatabase db;
  ASSERT_TRUE(db.open(file)) << db.error();
  EXPECT_FALSE(db.wasRebuilt());
  EXPECT_EQ(db.count(), 2);
  const auto found = db.search(buildIndexQuery("red car"));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].title, "Old red car");
  EXPECT_EQ(db.search(buildIndexQuery("mail")).size(), 1u);
  EXPECT_EQ(db.lastUpdate(), std::nullopt);
  // The stamps came along: the next scan rereads only the files that changed (both here,
  // as their stamps above are made up), and keeps one row per file.
  const ScanCounts counts = Indexer(db).scan({news});
  EXPECT_EQ(counts.indexed, 2u);
  EXPECT_EQ(db.count(), 2);
  EXPECT_EQ(db.search(buildIndexQuery("old")).size(), 2u);

  IndexDatabase again;  // and the carried-over file opens as it is
  ASSERT_TRUE(again.open(file));
  EXPECT_FALSE(again.wasRebuilt());
  EXPECT_EQ(again.count(), 2);
}

}  // namespace
}  // namespace mailvane::index
