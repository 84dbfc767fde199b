#pragma once
// Settings kept in memory only: for tests and for runs that must not touch the user's
// stored choices.

#include "system/Settings.h"

#include <map>
#include <string>
#include <string_view>

namespace mailvane::system {

class MemorySettings : public Settings {
 public:
  std::string value(std::string_view key, std::string_view defaultValue) const override {
    auto it = values_.find(key);
    return it == values_.end() ? std::string(defaultValue) : it->second;
  }
  void setValue(std::string_view key, std::string_view value) override {
    values_[std::string(key)] = std::string(value);
  }
  bool contains(std::string_view key) const { return values_.find(key) != values_.end(); }

 private:
  std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace mailvane::system
