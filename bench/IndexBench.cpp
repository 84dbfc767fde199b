// The search index over a generated tree of message files in the temporary folder: a
// first scan, a scan of the unchanged tree, and searches, each word search also as a
// plain LIKE over every row (what the index did before it had a word table) for the
// ratio. The tree size comes from MAILVANE_INDEX_BENCH_FILES (default 20000); the tree is
// made once per run and removed.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "index/IndexDatabase.h"
#include "index/Indexer.h"

namespace {

namespace fs = std::filesystem;
using namespace mailvane::index;

size_t treeSize() {
  const char* text = std::getenv("MAILVANE_INDEX_BENCH_FILES");
  const long value = text ? std::atol(text) : 0;
  return value > 0 ? static_cast<size_t>(value) : 20000;
}

// A news message of a few kilobytes; one in ten has an encoded-word subject and one in a
// thousand a long body, so the bounded header read matters.
std::string message(size_t i) {
  std::string subject = (i % 10 == 0) ? "=?iso-8859-1?Q?Re:_K=F8benhavn_" + std::to_string(i) + "?="
                                      : "Discussion thread number " + std::to_string(i);
  std::string text = "From: poster" + std::to_string(i % 97) +
                     "@example.org\r\nNewsgroups: alt.test\r\nSubject: " + subject +
                     "\r\nMessage-ID: <" + std::to_string(i) + "@example.org>\r\n"
                     "MIME-Version: 1.0\r\nContent-Type: text/plain\r\n\r\n";
  text.append(i % 1000 == 0 ? 256 * 1024 : 2048, 'x');
  return text;
}

class Tree {
 public:
  Tree() {
    std::string pattern = (fs::temp_directory_path() / "mailvane-index-bench-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    const size_t files = treeSize();
    for (size_t i = 0; i < files; ++i) {
      const fs::path folder = root_ / "news" / ("group" + std::to_string(i / 1000));
      if (i % 1000 == 0) fs::create_directories(folder);
      std::ofstream(folder / ("m" + std::to_string(i) + (i % 4 ? ".nws" : ".eml")), std::ios::binary)
          << message(i);
    }
  }
  ~Tree() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  fs::path news() const { return root_ / "news"; }
  fs::path database(const std::string& name) const { return root_ / name; }

 private:
  fs::path root_;
};

Tree& tree() {
  static Tree instance;
  return instance;
}

void removeDatabase(const fs::path& file) {
  for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(file.string() + suffix);
}

void BM_FirstScan(benchmark::State& state) {
  const fs::path file = tree().database("first.sqlite");
  for (auto _ : state) {
    state.PauseTiming();
    removeDatabase(file);
    state.ResumeTiming();
    IndexDatabase db;
    db.open(file);
    benchmark::DoNotOptimize(Indexer(db).scan({tree().news()}));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * treeSize()));
}
BENCHMARK(BM_FirstScan)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

IndexDatabase& indexed() {
  static IndexDatabase db;
  if (!db.isOpen()) {
    removeDatabase(tree().database("kept.sqlite"));
    db.open(tree().database("kept.sqlite"));
    Indexer(db).scan({tree().news()});
  }
  return db;
}

void BM_UnchangedScan(benchmark::State& state) {
  IndexDatabase& db = indexed();
  for (auto _ : state) benchmark::DoNotOptimize(Indexer(db).scan({tree().news()}));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * treeSize()));
}
BENCHMARK(BM_UnchangedScan)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_OpenIndex(benchmark::State& state) {
  indexed();
  for (auto _ : state) {
    IndexDatabase db;
    benchmark::DoNotOptimize(db.open(tree().database("kept.sqlite")));
  }
}
BENCHMARK(BM_OpenIndex)->Unit(benchmark::kMillisecond)->UseRealTime();

void search(benchmark::State& state, std::string_view words) {
  IndexDatabase& db = indexed();
  std::string error;
  const IndexQuery query = *parseIndexQuery(buildIndexQuery(words), error);
  size_t rows = 0;
  for (auto _ : state) rows = db.search(query).size();
  state.counters["rows"] = static_cast<double>(rows);
}

// The same search as one LIKE per condition over every row, through a connection of its
// own, with the patterns the index binds.
void searchByLikeAlone(benchmark::State& state, std::string_view words) {
  indexed();
  sqlite3* db = nullptr;
  sqlite3_open_v2(tree().database("kept.sqlite").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(
      db,
      "SELECT extension, title, path FROM files WHERE title_folded LIKE ?1 ESCAPE '\\'"
      " OR name_folded LIKE ?1 ESCAPE '\\' ORDER BY path",
      -1, &stmt, nullptr);
  std::string error;
  const std::string pattern =
      likePattern(parseIndexQuery(buildIndexQuery(words), error)->conditions.at(0).pattern);
  size_t rows = 0;
  for (auto _ : state) {
    sqlite3_reset(stmt);
    sqlite3_bind_text(stmt, 1, pattern.data(), static_cast<int>(pattern.size()), SQLITE_STATIC);
    rows = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      benchmark::DoNotOptimize(sqlite3_column_text(stmt, 2));
      ++rows;
    }
  }
  state.counters["rows"] = static_cast<double>(rows);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}

// A word that one message in ten holds (its encoded subject), and one that a single
// message holds.
constexpr std::string_view kCommonWord = "benhavn 12";
constexpr std::string_view kRareWord = "number 4243";

void BM_SearchWord(benchmark::State& state) {
  search(state, kCommonWord);
}
void BM_SearchWordByLikeAlone(benchmark::State& state) {
  searchByLikeAlone(state, kCommonWord);
}
void BM_SearchRareWord(benchmark::State& state) {
  search(state, kRareWord);
}
void BM_SearchRareWordByLikeAlone(benchmark::State& state) {
  searchByLikeAlone(state, kRareWord);
}
void BM_SearchEverything(benchmark::State& state) { search(state, ""); }
BENCHMARK(BM_SearchWord)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchWordByLikeAlone)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchRareWord)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchRareWordByLikeAlone)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchEverything)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
