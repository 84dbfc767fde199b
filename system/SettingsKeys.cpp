#include "system/SettingsKeys.h"

#include "system/CodePage.h"

#include <charconv>

namespace mailvane::system {

bool settingIsTrue(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (equalsNoCase(text, "True")) return true;
  if (equalsNoCase(text, "False") || text.empty()) return false;
  double number = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  return ec == std::errc() && end == text.data() + text.size() && number != 0;
}

}  // namespace mailvane::system
