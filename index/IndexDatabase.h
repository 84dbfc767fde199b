#pragma once
// The index file: one row per message file with its extension, title, URL, size and
// modification time, a table of the words of its title and name for quick searches, and
// the time of the last complete scan. One object is one SQLite connection, used by one
// thread at a time; the indexer's thread and a searching window each open their own.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "index/IndexQuery.h"

struct sqlite3;

namespace mailvane::index {

class SqliteStatement;

// What a search returns for one message file.
struct IndexRow {
  std::string extension;  // as on disk, with its dot: ".nws", ".eml", ".NWS"
  std::string title;      // the decoded subject, UTF-8
  std::string url;        // "file:" + the path
};

// Size and modification time: a file whose stamp is unchanged is not read again.
struct FileStamp {
  int64_t size = 0;
  int64_t mtime = 0;  // nanoseconds of the file clock
  bool operator==(const FileStamp&) const = default;
};

struct IndexedFile {
  std::string path;  // as on disk (bytes; UTF-8 on a UTF-8 system)
  std::string extension;
  std::string title;
  FileStamp stamp;
};

class IndexDatabase {
 public:
  IndexDatabase();
  ~IndexDatabase();
  IndexDatabase(const IndexDatabase&) = delete;
  IndexDatabase& operator=(const IndexDatabase&) = delete;

  // Opens the file, creating it and its folder when missing. A file that is not a
  // readable index is moved aside to "<file>.corrupt" and a new, empty one is made in its
  // place; false (with error()) only when no index can be had at that path at all.
  bool open(const std::filesystem::path& file);
  bool isOpen() const { return db_ != nullptr; }
  // Whether open() or a later call found the file damaged and started a new one.
  bool wasRebuilt() const { return rebuilt_; }
  const std::string& error() const { return error_; }

  std::unordered_map<std::string, FileStamp> stamps();
  bool put(const IndexedFile& file);
  bool remove(const std::string& path);
  // Removes the rows of every file below the folder (a folder the index no longer
  // covers); false on failure.
  bool removeUnder(const std::string& folder);
  // Writes between begin() and commit() go to disk together.
  bool begin();
  bool commit();
  int64_t count();
  // When a scan last went through every root to the end (seconds since the epoch);
  // nothing when none has yet.
  std::optional<int64_t> lastUpdate();
  bool setLastUpdate(int64_t secondsSinceEpoch);

  // The rows the query selects, ordered by path. On failure: no rows and error() says
  // why; a damaged file is rebuilt on the way.
  std::vector<IndexRow> search(const IndexQuery& query);
  // The one operation a search window needs: the query text as the window writes it, in;
  // rows out. A text that cannot be read gives no rows and error() says why.
  std::vector<IndexRow> search(std::string_view queryText);

 private:
  bool openFile();
  bool createSchema();
  std::optional<int64_t> checkedVersion();
  bool migrateFromVersion1();
  bool fillWords();
  bool putWords(int64_t id, std::string_view titleFolded, std::string_view nameFolded);
  // The statement in the slot, prepared at its first use and reset at each later one;
  // null when it cannot be prepared.
  SqliteStatement* cached(std::unique_ptr<SqliteStatement>& slot, const char* sql);
  bool recover();
  bool exec(const char* sql);
  void close();
  // Records the connection's message; on damage, rebuilds so the next call works.
  bool failed(int code, std::string_view what);

  std::filesystem::path file_;
  sqlite3* db_ = nullptr;
  // A scan writes a row per file: preparing its statements once saves much of its time.
  std::unique_ptr<SqliteStatement> putFile_;
  std::unique_ptr<SqliteStatement> fileId_;
  std::unique_ptr<SqliteStatement> putWords_;
  bool rebuilt_ = false;
  bool damaged_ = false;  // set by createSchema() and exec() when the file is not an index
  std::string error_;
};

}  // namespace mailvane::index
