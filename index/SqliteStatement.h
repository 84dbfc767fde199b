#pragma once
// One prepared SQLite statement, finalized when it goes out of scope; texts and numbers
// are bound as parameters, never written into the SQL.

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace mailvane::index {

class SqliteStatement {
 public:
  SqliteStatement(sqlite3* db, const char* sql) {
    code_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
  }
  ~SqliteStatement() { sqlite3_finalize(stmt_); }
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  int prepared() const { return code_; }
  void bind(int index, std::string_view text) {
    sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
  void bind(int index, int64_t value) { sqlite3_bind_int64(stmt_, index, value); }
  int step() { return sqlite3_step(stmt_); }
  // Ready to run again, with no values bound.
  void reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
  std::string text(int column) const {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return bytes ? std::string(bytes, static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
                 : std::string();
  }
  int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }
  bool isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  int code_ = SQLITE_OK;
};

}  // namespace mailvane::index
