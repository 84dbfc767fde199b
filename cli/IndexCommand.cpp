// `mailvane index`: keeps the search index of message files current and searches it with
// the same query text the search window sends.
#include <ostream>
#include <system_error>

#include "cli/Command.h"
#include "cli/ModuleCommands.h"
#include "cli/StoredSetting.h"
#include "index/IndexDatabase.h"
#include "index/IndexLocations.h"
#include "index/Indexer.h"

namespace mailvane::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "Usage: mailvane index update [--db FILE] [DIR...]\n"
    "       mailvane index search [--db FILE] [--query TEXT | WORDS...]\n"
    "Keeps an index of the subjects of .nws and .eml files, and searches it.\n"
    "  update   scans the folders of the IndexRoots setting (folders separated by \";\"),\n"
    "           by default the documents folder and the mail clients' stores, or the DIRs\n"
    "           given; unchanged files are skipped and files that are gone are dropped\n"
    "  search   prints extension, title and path of every file whose subject or file name\n"
    "           holds the WORDS (\"?\" stands for one character, \"*\" for any text; the\n"
    "           spaces between words match any one character); no WORDS lists every file.\n"
    "           --query runs a query text as the search window writes it\n"
    "Options:\n"
    "  --db FILE   the index file (default: $XDG_CACHE_HOME/mailvane/index.sqlite)\n";

struct IndexArgs {
  fs::path database;
  std::optional<std::string> query;
  std::vector<std::string> operands;
};

std::optional<IndexArgs> parseArgs(const std::vector<std::string>& args, bool allowQuery,
                                   std::string& error) {
  IndexArgs parsed;
  bool optionsDone = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (!optionsDone && arg == "--") {
      optionsDone = true;
    } else if (!optionsDone && arg == "--db") {
      if (!hasValue) return error = "--db needs a file", std::nullopt;
      parsed.database = args[++i];
    } else if (!optionsDone && allowQuery && arg == "--query") {
      if (!hasValue) return error = "--query needs a query text", std::nullopt;
      parsed.query = args[++i];
    } else if (!optionsDone && arg.size() > 1 && arg[0] == '-') {
      return error = "unknown option " + arg, std::nullopt;
    } else {
      parsed.operands.push_back(arg);
    }
  }
  if (parsed.query && !parsed.operands.empty()) {
    error = "give either --query or WORDS";
    return std::nullopt;
  }
  return parsed;
}

bool openDatabase(index::IndexDatabase& database, fs::path file, Streams& io) {
  if (file.empty()) file = index::defaultIndexFile();
  if (file.empty()) {
    io.err << "mailvane: no cache folder for the index; give one with --db FILE\n";
    return false;
  }
  if (!database.open(file)) {
    io.err << "mailvane: " << database.error() << '\n';
    return false;
  }
  if (database.wasRebuilt())
    io.err << "mailvane: " << database.error() << "; the index was started again\n";
  return true;
}

// The roots from the stored setting, when the program has a settings store.
std::vector<fs::path> configuredRoots(Streams& io) {
  std::string setting;
  std::string error;
  if (!readStoredSetting(index::kIndexRoots, setting, error))
    io.err << "mailvane: " << error << "; using the default folders\n";
  const std::vector<fs::path> roots = index::parseIndexRoots(setting);
  return roots.empty() ? index::defaultIndexRoots() : index::normaliseRoots(roots);
}

// Titles are printed on one line: control characters would break the columns.
std::string printable(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return text;
}

std::string withoutFilePrefix(const std::string& url) {
  constexpr std::string_view kPrefix = "file:";
  return url.compare(0, kPrefix.size(), kPrefix) == 0 ? url.substr(kPrefix.size()) : url;
}

class ScanDisplay {
 public:
  explicit ScanDisplay(Streams& io) : io_(io) {}
  ~ScanDisplay() { clear(); }
  ScanDisplay(const ScanDisplay&) = delete;
  ScanDisplay& operator=(const ScanDisplay&) = delete;

  void progress(const index::ScanCounts& counts, std::string_view file) {
    if (!io_.errIsTerminal) return;
    constexpr size_t kWidth = 50;
    if (file.size() > kWidth) file = file.substr(file.size() - kWidth);
    io_.err << "\r\033[K" << counts.seen << " files, " << counts.indexed << " read: " << file
            << std::flush;
    drawn_ = true;
  }
  void error(const std::string& message) {
    clear();
    io_.err << "mailvane: " << message << '\n';
  }
  void clear() {
    if (drawn_) io_.err << "\r\033[K" << std::flush;
    drawn_ = false;
  }

 private:
  Streams& io_;
  bool drawn_ = false;
};

int update(const std::vector<std::string>& args, Streams& io) {
  std::string error;
  const auto parsed = parseArgs(args, false, error);
  if (!parsed) return usageError(io, "index update", error);
  bool anyFailed = false;
  std::vector<fs::path> roots;
  for (const std::string& dir : parsed->operands) {
    std::error_code ec;
    if (fs::is_directory(dir, ec)) {
      roots.emplace_back(dir);
    } else {
      io.err << "mailvane: " << dir << ": not a folder\n";
      anyFailed = true;
    }
  }
  if (parsed->operands.empty()) roots = configuredRoots(io);
  if (roots.empty()) {
    io.err << "mailvane: no folders to index\n";
    return kExitSomeFailed;
  }
  index::IndexDatabase database;
  if (!openDatabase(database, parsed->database, io)) return kExitSomeFailed;
  index::Indexer indexer(database);
  ScanDisplay display(io);
  indexer.setProgress([&](const index::ScanCounts& counts, const std::string& file) {
    display.progress(counts, file);
  });
  indexer.setErrorHandler([&](const std::string& message) { display.error(message); });
  const index::ScanCounts counts = indexer.scan(roots);
  display.clear();
  io.out << counts.seen << " message files: " << counts.indexed << " read, " << counts.unchanged
         << " unchanged, " << counts.removed << " removed, " << counts.failed << " failed\n";
  return anyFailed || counts.failed > 0 || counts.databaseFailed ? kExitSomeFailed : kExitOk;
}

int search(const std::vector<std::string>& args, Streams& io) {
  std::string error;
  const auto parsed = parseArgs(args, true, error);
  if (!parsed) return usageError(io, "index search", error);
  std::string words;
  for (const std::string& word : parsed->operands) words += (words.empty() ? "" : " ") + word;
  const std::string text = parsed->query ? *parsed->query : index::buildIndexQuery(words);
  const auto query = index::parseIndexQuery(text, error);
  if (!query) {
    io.err << "mailvane: cannot read the query: " << error << '\n';
    return kExitSomeFailed;
  }
  index::IndexDatabase database;
  if (!openDatabase(database, parsed->database, io)) return kExitSomeFailed;
  const std::vector<index::IndexRow> rows = database.search(*query);
  if (rows.empty() && !database.error().empty()) {
    io.err << "mailvane: " << database.error() << '\n';
    return kExitSomeFailed;
  }
  for (const index::IndexRow& row : rows)
    io.out << row.extension << '\t' << printable(row.title) << '\t' << withoutFilePrefix(row.url)
           << '\n';
  return kExitOk;
}

}  // namespace

int indexCommand(const std::vector<std::string>& args, Streams& io) {
  if (helpRequested(args)) {
    io.out << kUsage;
    return kExitOk;
  }
  if (args.empty()) return usageError(io, "index", "no action given (update or search)");
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args.front() == "update") return update(rest, io);
  if (args.front() == "search") return search(rest, io);
  return usageError(io, "index", "unknown action \"" + args.front() + "\" (update or search)");
}

}  // namespace mailvane::cli
