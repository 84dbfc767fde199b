#pragma once
// The per-user settings store: text values in section "Settings", keyed by name. The
// engine and the command line see only this interface, so they never need Qt.

#include <string>
#include <string_view>

namespace mailvane::system {

// Values are UTF-8 text; numbers and Booleans are stored as their text ("1", "True").
class Settings {
 public:
  virtual ~Settings() = default;
  virtual std::string value(std::string_view key, std::string_view defaultValue) const = 0;
  virtual void setValue(std::string_view key, std::string_view value) = 0;
};

}  // namespace mailvane::system
