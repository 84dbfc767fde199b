#include "index/IndexDatabase.h"

#include <sqlite3.h>

#include <system_error>

#include "index/TextFold.h"

namespace mailvane::index {
namespace {

namespace fs = std::filesystem;

constexpr int kSchemaVersion = 1;
constexpr int kBusyTimeoutMs = 10000;

// Titles and names are stored folded beside the text shown, so a case-blind LIKE needs no
// function call per row.
constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS files("
    " path TEXT PRIMARY KEY NOT NULL,"
    " extension TEXT NOT NULL,"
    " title TEXT NOT NULL,"
    " title_folded TEXT NOT NULL,"
    " name_folded TEXT NOT NULL,"
    " size INTEGER NOT NULL,"
    " mtime INTEGER NOT NULL"
    ") WITHOUT ROWID;";

// One prepared statement, finalized when it goes out of scope.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { code_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  int prepared() const { return code_; }
  void bind(int index, std::string_view text) {
    sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
  void bind(int index, int64_t value) { sqlite3_bind_int64(stmt_, index, value); }
  int step() { return sqlite3_step(stmt_); }
  int reset() { return sqlite3_reset(stmt_); }
  std::string text(int column) const {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return bytes ? std::string(bytes, static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
                 : std::string();
  }
  int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  int code_ = SQLITE_OK;
};

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

// The SQL text of a search: fixed fragments only, one bound pattern per condition.
std::string searchSql(const IndexQuery& query) {
  std::string sql = "SELECT extension, title, path FROM files";
  for (size_t i = 0; i < query.conditions.size(); ++i) {
    sql += i == 0 ? " WHERE " : " OR ";
    sql += query.conditions[i].field == IndexField::Title ? "title_folded" : "name_folded";
    sql += " LIKE ? ESCAPE '\\'";
  }
  return sql + " ORDER BY path";
}

}  // namespace

IndexDatabase::~IndexDatabase() { close(); }

void IndexDatabase::close() {
  if (db_) sqlite3_close_v2(db_);
  db_ = nullptr;
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
  Statement check(db_, "PRAGMA quick_check(1)");
  if (check.prepared() != SQLITE_OK || check.step() != SQLITE_ROW || check.text(0) != "ok") {
    error_ = "the index " + file_.string() + " is damaged";
    damaged_ = true;
    return false;
  }
  Statement version(db_, "PRAGMA user_version");
  if (version.prepared() != SQLITE_OK || version.step() != SQLITE_ROW) return false;
  const int64_t found = version.integer(0);
  if (found != 0 && found != kSchemaVersion) {
    error_ = "the index " + file_.string() + " was written by another version";
    damaged_ = true;
    return false;
  }
  return exec(kSchema) && exec("PRAGMA user_version=1");
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
  Statement insert(db_,
                   "INSERT OR REPLACE INTO files(path, extension, title, title_folded, "
                   "name_folded, size, mtime) VALUES(?, ?, ?, ?, ?, ?, ?)");
  if (insert.prepared() != SQLITE_OK) return failed(insert.prepared(), "cannot write the index");
  insert.bind(1, file.path);
  insert.bind(2, file.extension);
  insert.bind(3, file.title);
  insert.bind(4, foldCase(file.title));
  insert.bind(5, foldCase(fileName(file.path)));
  insert.bind(6, file.stamp.size);
  insert.bind(7, file.stamp.mtime);
  const int code = insert.step();
  return code == SQLITE_DONE || failed(code, "cannot write the index");
}

bool IndexDatabase::remove(const std::string& path) {
  if (!db_) return false;
  Statement erase(db_, "DELETE FROM files WHERE path = ?");
  if (erase.prepared() != SQLITE_OK) return failed(erase.prepared(), "cannot write the index");
  erase.bind(1, path);
  const int code = erase.step();
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
  const std::string sql = searchSql(query);
  Statement select(db_, sql.c_str());
  int code = select.prepared();
  if (code == SQLITE_OK) {
    for (size_t i = 0; i < query.conditions.size(); ++i)
      select.bind(static_cast<int>(i + 1), likePattern(query.conditions[i].pattern));
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
