#pragma once
// Tree 1 of a .dbx file: a multi-way tree whose in-order values are the offsets of the
// records (messages or folders). Each child pointer carries the number of values below
// it, so value k is reached by skipping whole subtrees instead of walking them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plugins/toolbench/DbxSource.h"

namespace mailvane::dbx {

class DbxTree {
 public:
  // Checks the whole tree once: self-offsets, parent links, entry counts, loops, depth,
  // and every stored subtree count against the values really found. Problems are
  // appended to `problems`; the values that can be read stay reachable.
  void load(DbxSource& source, uint32_t root, uint32_t headerCount,
            std::vector<std::string>& problems);

  // Values found in order.
  uint32_t size() const { return size_; }
  // The k-th value (0-based, in-order), or nothing when it cannot be reached.
  std::optional<uint32_t> valueAt(DbxSource& source, uint32_t k) const;

 private:
  struct Walk;
  uint32_t root_ = 0;
  uint32_t size_ = 0;
  // Only for a tree whose stored counts cannot be trusted: the values found by the walk.
  bool countsTrusted_ = true;
  std::vector<uint32_t> salvaged_;
};

}  // namespace mailvane::dbx
