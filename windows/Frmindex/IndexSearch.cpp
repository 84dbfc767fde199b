#include "windows/Frmindex/IndexSearch.h"

#include "index/IndexQuery.h"
#include "system/CodePage.h"

namespace mailvane {

std::string IndexSearch::pathOf(std::string_view itemUrl) {
  constexpr std::string_view kScheme = "file:";
  if (itemUrl.substr(0, kScheme.size()) == kScheme) itemUrl.remove_prefix(kScheme.size());
  return std::string(itemUrl);
}

bool IndexSearch::open(std::string& error) {
  if (db_.isOpen()) return true;
  if (file_.empty()) {
    error = "no folder for the index could be found or made";
    return false;
  }
  // Opened again at each search that finds it closed, so a folder made later is used.
  if (!db_.open(file_)) {
    error = db_.error();
    return false;
  }
  if (db_.wasRebuilt()) error = "the index was damaged and has been started again";
  return true;
}

IndexSearch::Result IndexSearch::find(std::string_view words) {
  Result result;
  if (!open(result.error)) return result;
  const std::vector<index::IndexRow> rows = db_.search(index::buildIndexQuery(words));
  if (!db_.error().empty()) {
    result.error = db_.error();
    return result;
  }
  result.ok = true;
  for (const index::IndexRow& row : rows)
    if (isNews(row.extension))
      result.news.push_back({system::fromUtf8(row.title), pathOf(row.url)});
  return result;
}

bool IndexSearch::forget(const std::string& folder, std::string& error) {
  if (!open(error)) return false;
  if (db_.removeUnder(folder)) return true;
  error = db_.error();
  return false;
}

std::optional<int64_t> IndexSearch::count() {
  std::string error;
  if (!open(error)) return std::nullopt;
  return db_.count();
}

std::optional<int64_t> IndexSearch::lastUpdate() {
  std::string error;
  if (!open(error)) return std::nullopt;
  return db_.lastUpdate();
}

}  // namespace mailvane
