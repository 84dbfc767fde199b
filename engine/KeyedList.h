#pragma once
// An insertion-ordered list numbered from 1 whose entries may carry a unique key,
// compared without regard to letter case. Backs the record lists and the parser's
// link lists.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "system/CodePage.h"

namespace mailvane {

template <typename T>
class KeyedList {
  // Declared first: the iterator below names it.
  struct Entry {
    T value;
    std::string key;
  };

 public:
  // Adds value under key (no key when empty). Returns false, adding nothing, when the key
  // is already present.
  bool Add(T value, std::string_view key = {}) {
    if (!key.empty()) {
      auto folded = foldKey(key);
      if (keys_.count(folded)) return false;
      keys_.emplace(std::move(folded), entries_.size());
    }
    entries_.push_back(Entry{std::move(value), std::string(key)});
    return true;
  }

  // 1-based; a missing index or key gives nullptr, never an error.
  const T* item(int64_t index) const {
    if (index < 1 || index > static_cast<int64_t>(entries_.size())) return nullptr;
    return &entries_[static_cast<size_t>(index - 1)].value;
  }
  const T* item(std::string_view key) const {
    auto it = keys_.find(foldKey(key));
    return it == keys_.end() ? nullptr : &entries_[it->second].value;
  }
  bool contains(std::string_view key) const { return keys_.count(foldKey(key)) != 0; }

  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }

  // Returns false when the index or key is missing (the caller's error to report).
  bool Remove(int64_t index) {
    if (index < 1 || index > static_cast<int64_t>(entries_.size())) return false;
    entries_.erase(entries_.begin() + (index - 1));
    reindex();
    return true;
  }
  bool Remove(std::string_view key) {
    auto it = keys_.find(foldKey(key));
    if (it == keys_.end()) return false;
    return Remove(static_cast<int64_t>(it->second) + 1);
  }

  // Iteration in insertion order (the list's enumerator).
  class const_iterator {
   public:
    using inner = typename std::vector<Entry>::const_iterator;
    explicit const_iterator(inner it) : it_(it) {}
    const T& operator*() const { return it_->value; }
    const T* operator->() const { return &it_->value; }
    const_iterator& operator++() { ++it_; return *this; }
    bool operator==(const const_iterator& o) const { return it_ == o.it_; }
    bool operator!=(const const_iterator& o) const { return it_ != o.it_; }
   private:
    inner it_;
  };
  const_iterator begin() const { return const_iterator(entries_.begin()); }
  const_iterator end() const { return const_iterator(entries_.end()); }

 private:
  static std::string foldKey(std::string_view key) { return system::toLowerCp(key); }
  void reindex() {
    keys_.clear();
    for (size_t i = 0; i < entries_.size(); ++i)
      if (!entries_[i].key.empty()) keys_.emplace(foldKey(entries_[i].key), i);
  }

  std::vector<Entry> entries_;
  std::unordered_map<std::string, size_t> keys_;
};

}  // namespace mailvane
