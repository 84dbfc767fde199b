#pragma once
// What the search window asks of the index: the news messages whose subject or file name
// holds the typed words, as rows for the message list, in the order the index gives them.
// The words travel inside the index's own query text, which the index parses and binds
// as data, so no text typed into the box can change what the query does.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "index/IndexDatabase.h"
#include "windows/family/ListFill.h"

namespace mailvane {

class IndexSearch {
 public:
  struct Result {
    bool ok = false;
    std::string error;  // why the search failed, or why the index had to start again
    std::vector<ListFill::Entry> news;  // subject as code-page text, path of the file
  };

  explicit IndexSearch(std::filesystem::path indexFile) : file_(std::move(indexFile)) {}

  // words: UTF-8, as typed; empty lists every news message.
  Result find(std::string_view words);
  // Messages the index holds and when it was last brought up to date (seconds since the
  // epoch); nothing when the index cannot be opened.
  std::optional<int64_t> count();
  std::optional<int64_t> lastUpdate();
  // Takes the messages below a folder out of the index; false (with error) on failure.
  bool forget(const std::string& folder, std::string& error);
  const std::filesystem::path& file() const { return file_; }

  // A row is a news message only when its extension is ".nws" exactly: the index keeps
  // extensions as they are on disk, and ".NWS" or ".eml" files are not listed.
  static bool isNews(std::string_view extension) { return extension == ".nws"; }
  // The path an item URL names: the "file:" scheme in front goes; a URL without it is
  // used as it is. Only the scheme is removed, so a folder named "file:x" stays intact.
  static std::string pathOf(std::string_view itemUrl);

 private:
  bool open(std::string& error);

  std::filesystem::path file_;
  index::IndexDatabase db_;
};

}  // namespace mailvane
