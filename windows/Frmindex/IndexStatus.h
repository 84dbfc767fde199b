#pragma once
// The line under the search window's list: what the index holds and when it was last
// brought up to date, a scan under way, or why a search or a scan failed, so an empty
// list never leaves the user guessing between "nothing found" and "no index".

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace mailvane {

struct IndexStatus {
  std::optional<int64_t> messages;    // nothing: the index could not be opened
  std::optional<int64_t> lastUpdate;  // seconds since the epoch; nothing: never
  bool scanning = false;
  size_t seen = 0;          // files the running scan has looked at
  std::string scanError;    // the last scan could not write the index
  std::string searchError;  // the last search failed
  std::string notice;       // the last search worked, but something is worth saying

  QString text() const;
};

}  // namespace mailvane
