#include "plugins/toolbench/DbxTree.h"

#include <unordered_set>

#include "plugins/toolbench/DbxHex.h"
#include "plugins/toolbench/DbxTreeNode.h"

namespace mailvane::dbx {

namespace {

// Real trees of at most 51 entries per node are a few levels deep; anything deeper is
// damage or a trap, and the cap keeps the recursion off the end of the stack.
constexpr int kMaxDepth = 32;
// A badly damaged file could otherwise produce one line per node.
constexpr size_t kMaxProblems = 16;

}  // namespace

struct DbxTree::Walk {
  Walk(DbxSource& source, std::vector<std::string>& problems,
       std::vector<uint32_t>* collected = nullptr)
      : source(source), problems(problems), collected(collected) {}

  DbxSource& source;
  std::vector<std::string>& problems;
  std::vector<uint32_t>* collected = nullptr;  // null: only count
  std::unordered_set<uint32_t> visited;
  bool countsDisagree = false;

  void note(const std::string& problem) {
    if (problems.size() < kMaxProblems) problems.push_back(problem);
  }

  uint64_t subtree(uint32_t offset, uint32_t parent, int depth) {
    if (depth > kMaxDepth) {
      note("tree deeper than " + std::to_string(kMaxDepth) + " levels at " + hex(offset));
      return 0;
    }
    if (!visited.insert(offset).second) {
      note("tree node " + hex(offset) + " is reached twice");
      return 0;
    }
    const auto node = DbxTreeNode::read(source, offset, parent);
    if (!node) {
      note("damaged tree node at " + hex(offset));
      return 0;
    }
    uint64_t found = child(node->leadingChild, node->leadingCount, offset, depth);
    for (size_t i = 0; i < node->entryCount; ++i) {
      const auto& entry = node->entries[i];
      if (entry.value != 0) {
        if (collected != nullptr) collected->push_back(entry.value);
        ++found;
      }
      found += child(entry.child, entry.childCount, offset, depth);
    }
    return found;
  }

  uint64_t child(uint32_t offset, uint32_t stored, uint32_t parent, int depth) {
    const uint64_t found = offset == 0 ? 0 : subtree(offset, parent, depth + 1);
    if (found != stored) {
      countsDisagree = true;
      note("tree node " + hex(parent) + " counts " + std::to_string(stored) + " entries below " +
           hex(offset) + " but " + std::to_string(found) + " were found");
    }
    return found;
  }
};

void DbxTree::load(DbxSource& source, uint32_t root, uint32_t headerCount,
                   std::vector<std::string>& problems) {
  root_ = root;
  size_ = 0;
  countsTrusted_ = true;
  salvaged_.clear();
  if (root == 0) {
    if (headerCount != 0) {
      problems.push_back("the header counts " + std::to_string(headerCount) +
                         " entries but the file has no tree");
    }
    return;
  }
  Walk walk(source, problems);
  const uint64_t found = walk.subtree(root, 0, 0);
  if (found != headerCount) {
    problems.push_back("the header counts " + std::to_string(headerCount) +
                       " entries but the tree holds " + std::to_string(found));
  }
  if (!walk.countsDisagree) {
    size_ = static_cast<uint32_t>(found);
    return;
  }
  // Skipping subtrees by their counts would land on the wrong values: keep the values
  // the walk could read instead. Their number is bounded by the nodes really in the file.
  countsTrusted_ = false;
  std::vector<std::string> again;
  Walk salvage(source, again, &salvaged_);
  salvage.subtree(root, 0, 0);
  size_ = static_cast<uint32_t>(salvaged_.size());
}

std::optional<uint32_t> DbxTree::valueAt(DbxSource& source, uint32_t k) const {
  if (k >= size_) return std::nullopt;
  if (!countsTrusted_) return salvaged_[k];
  uint32_t offset = root_;
  uint32_t parent = 0;
  for (int depth = 0; depth <= kMaxDepth && offset != 0; ++depth) {
    const auto node = DbxTreeNode::read(source, offset, parent);
    if (!node) return std::nullopt;
    parent = offset;
    if (k < node->leadingCount) {
      offset = node->leadingChild;
      continue;
    }
    k -= node->leadingCount;
    offset = 0;
    for (size_t i = 0; i < node->entryCount; ++i) {
      const auto& entry = node->entries[i];
      if (entry.value != 0) {
        if (k == 0) return entry.value;
        --k;
      }
      if (k < entry.childCount) {
        offset = entry.child;
        break;
      }
      k -= entry.childCount;
    }
  }
  return std::nullopt;
}

}  // namespace mailvane::dbx
