#include "index/IndexDatabase.h"

#include <sqlite3.h>

#include <system_error>

#include "index/SqliteStatement.h"
#include "index/TextFold.h"

namespace mailvane::index {
namespace {

namespace fs = std::filesystem;

constexpr int kSchemaVersion = 2;
constexpr int kBusyTimeoutMs = 10000;

// Titles and names are stored folded beside the text shown, so a case-blind LIKE needs no
// function call per row. The word table holds the same folded texts cut into trigrams: a
// search first takes the rows that hold every literal piece of its pattern from there, and
// only those are matched with LIKE, which alone decides. The id links a file to its row in
// the word table; the listing index answers the search without words (every file, in path
// order) from itself alone.
constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS files("
    " id INTEGER PRIMARY KEY,"
    " path TEXT NOT NULL UNIQUE,"
    " extension TEXT NOT NULL,"
    " title TEXT NOT NULL,"
    " title_folded TEXT NOT NULL,"
    " name_folded TEXT NOT NULL,"
    " size INTEGER NOT NULL,"
    " mtime INTEGER NOT NULL);"
    "CREATE INDEX IF NOT EXISTS files_listing ON files(path, extension, title);"
    "CREATE VIRTUAL TABLE IF NOT EXISTS words USING fts5(title, name,"
    " tokenize='trigram case_sensitive 1');"
    "CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY NOT NULL, value) WITHOUT ROWID;";

// Version 1 kept the files in a table keyed by path alone, with no word table.
constexpr const char* kFromVersion1 = "ALTER TABLE files RENAME TO files_v1;";
constexpr const char* kCopyVersion1 =
    "INSERT INTO files(path, extension, title, title_folded, name_folded, size, mtime)"
    " SELECT path, extension, title, title_folded, name_folded, size, mtime FROM files_v1"
    " ORDER BY path;"
    "DROP TABLE files_v1;";

using Statement = SqliteStatement;

bool isDamage(int code) {
  const int primary = code & 0xFF;
  return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

std::string fileName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void removeBeside(const fs::path& file, std::string_view suffix) {
  std::error_code ec;
  fs::remove(fs::path(file.string() + std::string(suffix)), ec);
}

// The SQL text of a search: fixed fragments only, the word filter and one pattern per
// condition bound as parameters.
std::string searchSql(const IndexQuery& query, bool wordFilter) {
  std::string sql = wordFilter ? "SELECT f.extension, f.title, f.path FROM words"
                                 " CROSS JOIN files f ON f.id = words.rowid WHERE words MATCH ?"
                               : "SELECT f.extension, f.title, f.path FROM files f";
  for (size_t i = 0; i < query.conditions.size(); ++i) {
    sql += i == 0 ? (wordFilter ? " AND (" : " WHERE (") : " OR ";
    sql += query.conditions[i].field == IndexField::Title ? "f.title_folded" : "f.name_folded";
    sql += " LIKE ? ESCAPE '\\'";
  }
  if (!query.conditions.empty()) sql += ")";
  return sql + " ORDER BY f.path";
}

}  // namespace

IndexDatabase::IndexDatabase() = default;
IndexDatabase::~IndexDatabase() { close(); }

void IndexDatabase::close() {
  putFile_.reset();
  fileId_.reset();
  putWords_.reset();
  if (db_) sqlite3_close_v2(db_);
  db_ = nullptr;
}

SqliteStatement* IndexDatabase::cached(std::unique_ptr<SqliteStatement>& slot, const char* sql) {
  if (slot) {
    slot->reset();
    return slot.get();
  }
  auto made = std::make_unique<SqliteStatement>(db_, sql);
  if (made->prepared() != SQLITE_OK) return nullptr;
  slot = std::move(made);
  return slot.get();
}

bool IndexDatabase::open(const fs::path& file) {
  close();
  file_ = file;
  rebuilt_ = false;
  error_.clear();
  std::error_code ec;
  if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
  damaged_ = false;
  if (!openFile()) return false;
  if (createSchema()) return true;
  // A busy or read-only index is left alone; only a damaged one is replaced.
  if (damaged_) return recover();
  close();
  return false;
}

bool IndexDatabase::openFile() {
  const int code = sqlite3_open_v2(file_.c_str(), &db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                                   nullptr);
  if (code != SQLITE_OK) {
    error_ = "cannot open the index " + file_.string() + ": " +
             (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code));
    close();
    return false;
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  return true;
}

bool IndexDatabase::createSchema() {
  // WAL lets a search read while the indexer's thread writes.
  if (!exec("PRAGMA journal_mode=WAL") || !exec("PRAGMA synchronous=NORMAL")) return false;
  const std::optional<int64_t> found = checkedVersion();
  if (!found) return false;
  if (*found == 1) return migrateFromVersion1();
  if (*found != 0 && *found != kSchemaVersion) {
    error_ = "the index " + file_.string() + " was written by another version";
    damaged_ = true;
    return false;
  }
  return exec(kSchema) && exec("PRAGMA user_version=2");
}

// The statements end here: one still open would keep the tables from being changed.
std::optional<int64_t> IndexDatabase::checkedVersion() {
  Statement check(db_, "PRAGMA quick_check(1)");
  if (check.prepared() != SQLITE_OK || check.step() != SQLITE_ROW || check.text(0) != "ok") {
    error_ = "the index " + file_.string() + " is damaged";
    damaged_ = true;
    return std::nullopt;
  }
  Statement version(db_, "PRAGMA user_version");
  if (version.prepared() != SQLITE_OK || version.step() != SQLITE_ROW) return std::nullopt;
  return version.integer(0);
}

// In one transaction, so an index is either still of version 1 or wholly of version 2.
bool IndexDatabase::migrateFromVersion1() {
  if (!exec("BEGIN IMMEDIATE")) return false;
  const bool done = exec(kFromVersion1) && exec(kSchema) && exec(kCopyVersion1) && fillWords() &&
                    exec("PRAGMA user_version=2");
  if (done) return exec("COMMIT");
  exec("ROLLBACK");
  return false;
}

bool IndexDatabase::fillWords() {
  Statement rows(db_, "SELECT id, title_folded, name_folded FROM files");
  int code = rows.prepared();
  while (code == SQLITE_OK && (code = rows.step()) == SQLITE_ROW)
    code = putWords(rows.integer(0), rows.text(1), rows.text(2)) ? SQLITE_OK : SQLITE_ERROR;
  if (code == SQLITE_DONE) return true;
  error_ = "cannot fill the word table: " + std::string(sqlite3_errmsg(db_));
  return false;
}

bool IndexDatabase::putWords(int64_t id, std::string_view titleFolded,
                             std::string_view nameFolded) {
  Statement* insert =
      cached(putWords_, "INSERT OR REPLACE INTO words(rowid, title, name) VALUES(?, ?, ?)");
  if (!insert) return false;
  insert->bind(1, id);
  // The trigram reader decodes UTF-8; a stray byte could merge with its neighbours there,
  // so each one stands alone as U+FFFD and the pieces around it stay findable.
  insert->bind(2, validUtf8(titleFolded));
  insert->bind(3, validUtf8(nameFolded));
  return insert->step() == SQLITE_DONE;
}

bool IndexDatabase::recover() {
  close();
  std::error_code ec;
  const fs::path aside = file_.string() + ".corrupt";
  fs::rename(file_, aside, ec);
  if (ec) fs::remove(file_, ec);
  // The journal files belong to the old file and would be replayed into the new one.
  for (std::string_view suffix : {"-wal", "-shm", "-journal"}) removeBeside(file_, suffix);
  rebuilt_ = true;
  const std::string why = error_;
  if (openFile() && createSchema()) {
    error_ = why;
    return true;
  }
  close();
  return false;
}

bool IndexDatabase::exec(const char* sql) {
  char* message = nullptr;
  const int code = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
  if (code != SQLITE_OK) {
    error_ = message ? message : sqlite3_errstr(code);
    sqlite3_free(message);
    if (isDamage(code)) {
      error_ = "the index " + file_.string() + " is damaged: " + error_;
      damaged_ = true;
    }
    return false;
  }
  return true;
}

bool IndexDatabase::failed(int code, std::string_view what) {
  error_ = std::string(what) + ": " + (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code));
  if (isDamage(code)) {
    const std::string why = "the index was damaged and has been started again (" + error_ + ")";
    recover();
    error_ = why;
  }
  return false;
}

std::unordered_map<std::string, FileStamp> IndexDatabase::stamps() {
  std::unordered_map<std::string, FileStamp> result;
  error_.clear();
  if (!db_) {
    error_ = "the index is not open";
    return result;
  }
  Statement query(db_, "SELECT path, size, mtime FROM files");
  int code = query.prepared();
  if (code == SQLITE_OK) {
    while ((code = query.step()) == SQLITE_ROW)
      result.emplace(query.text(0), FileStamp{query.integer(1), query.integer(2)});
  }
  if (code != SQLITE_DONE) {
    failed(code, "cannot read the index");
    result.clear();
  }
  return result;
}

bool IndexDatabase::put(const IndexedFile& file) {
  if (!db_) return false;
  // The row's id is looked up afterwards: RETURNING on this statement costs a scan of
  // 100,000 files three times as much as the rest of its writing.
  Statement* upsert =
      cached(putFile_,
             "INSERT INTO files(path, extension, title, title_folded, name_folded, size, mtime)"
             " VALUES(?, ?, ?, ?, ?, ?, ?) ON CONFLICT(path) DO UPDATE SET"
             " extension = excluded.extension, title = excluded.title,"
             " title_folded = excluded.title_folded, name_folded = excluded.name_folded,"
             " size = excluded.size, mtime = excluded.mtime");
  Statement* idOf = upsert ? cached(fileId_, "SELECT id FROM files WHERE path = ?") : nullptr;
  if (!idOf) return failed(sqlite3_errcode(db_), "cannot write the index");
  const std::string titleFolded = foldCase(file.title);
  const std::string nameFolded = foldCase(fileName(file.path));
  upsert->bind(1, file.path);
  upsert->bind(2, file.extension);
  upsert->bind(3, file.title);
  upsert->bind(4, titleFolded);
  upsert->bind(5, nameFolded);
  upsert->bind(6, file.stamp.size);
  upsert->bind(7, file.stamp.mtime);
  int code = upsert->step();
  if (code != SQLITE_DONE) return failed(code, "cannot write the index");
  idOf->bind(1, file.path);
  code = idOf->step();
  if (code != SQLITE_ROW) return failed(code, "cannot write the index");
  const int64_t id = idOf->integer(0);
  idOf->reset();  // its read must not outlive this write
  return putWords(id, titleFolded, nameFolded) ||
         failed(sqlite3_errcode(db_), "cannot write the index");
}

bool IndexDatabase::remove(const std::string& path) {
  if (!db_) return false;
  Statement* idOf = cached(fileId_, "SELECT id FROM files WHERE path = ?");
  if (!idOf) return failed(sqlite3_errcode(db_), "cannot write the index");
  idOf->bind(1, path);
  int code = idOf->step();
  if (code == SQLITE_DONE) return true;  // it had no row
  if (code != SQLITE_ROW) return failed(code, "cannot write the index");
  const int64_t id = idOf->integer(0);
  idOf->reset();
  Statement words(db_, "DELETE FROM words WHERE rowid = ?");
  Statement files(db_, "DELETE FROM files WHERE id = ?");
  for (Statement* erase : {&words, &files}) {
    if (erase->prepared() != SQLITE_OK) return failed(erase->prepared(), "cannot write the index");
    erase->bind(1, id);
    code = erase->step();
    if (code != SQLITE_DONE) return failed(code, "cannot write the index");
  }
  return true;
}

bool IndexDatabase::removeUnder(const std::string& folder) {
  if (!db_) return false;
  std::string prefix = folder;
  while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
  if (prefix != "/") prefix += '/';
  // The paths that start with "<folder>/": from the prefix up to the prefix with its "/"
  // raised to "0", the next byte.
  std::string after = prefix;
  after.back() = '0';
  if (!exec("SAVEPOINT forget")) return false;
  Statement words(
      db_, "DELETE FROM words WHERE rowid IN (SELECT id FROM files WHERE path >= ? AND path < ?)");
  Statement files(db_, "DELETE FROM files WHERE path >= ? AND path < ?");
  int code = words.prepared() != SQLITE_OK ? words.prepared() : files.prepared();
  if (code == SQLITE_OK) {
    for (Statement* erase : {&words, &files}) {
      erase->bind(1, prefix);
      erase->bind(2, after);
      if ((code = erase->step()) != SQLITE_DONE) break;
    }
  }
  if (code == SQLITE_DONE || code == SQLITE_OK) return exec("RELEASE forget");
  exec("ROLLBACK TO forget");
  exec("RELEASE forget");
  return failed(code, "cannot write the index");
}

std::optional<int64_t> IndexDatabase::lastUpdate() {
  if (!db_) return std::nullopt;
  Statement query(db_, "SELECT value FROM meta WHERE key = 'updated'");
  if (query.prepared() != SQLITE_OK || query.step() != SQLITE_ROW || query.isNull(0))
    return std::nullopt;
  return query.integer(0);
}

bool IndexDatabase::setLastUpdate(int64_t secondsSinceEpoch) {
  if (!db_) return false;
  Statement write(db_, "INSERT OR REPLACE INTO meta(key, value) VALUES('updated', ?)");
  if (write.prepared() != SQLITE_OK) return failed(write.prepared(), "cannot write the index");
  write.bind(1, secondsSinceEpoch);
  const int code = write.step();
  return code == SQLITE_DONE || failed(code, "cannot write the index");
}

bool IndexDatabase::begin() { return db_ && exec("BEGIN IMMEDIATE"); }

bool IndexDatabase::commit() { return db_ && exec("COMMIT"); }

int64_t IndexDatabase::count() {
  if (!db_) return 0;
  Statement query(db_, "SELECT count(*) FROM files");
  const int code = query.prepared() == SQLITE_OK ? query.step() : query.prepared();
  if (code != SQLITE_ROW) {
    failed(code, "cannot read the index");
    return 0;
  }
  return query.integer(0);
}

std::vector<IndexRow> IndexDatabase::search(const IndexQuery& query) {
  std::vector<IndexRow> rows;
  error_.clear();
  if (!db_) {
    error_ = "the index is not open";
    return rows;
  }
  const std::string match = trigramMatch(query);
  const std::string sql = searchSql(query, !match.empty());
  Statement select(db_, sql.c_str());
  int code = select.prepared();
  if (code == SQLITE_OK) {
    int parameter = 1;
    if (!match.empty()) select.bind(parameter++, match);
    for (const IndexCondition& condition : query.conditions)
      select.bind(parameter++, likePattern(condition.pattern));
    while ((code = select.step()) == SQLITE_ROW)
      rows.push_back({select.text(0), select.text(1), "file:" + select.text(2)});
  }
  if (code != SQLITE_DONE) {
    failed(code, "cannot search the index");
    rows.clear();
  }
  return rows;
}

std::vector<IndexRow> IndexDatabase::search(std::string_view queryText) {
  std::string why;
  const auto query = parseIndexQuery(queryText, why);
  if (!query) {
    error_ = "cannot read the query: " + why;
    return {};
  }
  return search(*query);
}

}  // namespace mailvane::index
