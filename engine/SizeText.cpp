#include "engine/SizeText.h"

#include <langinfo.h>
#include <locale.h>

#include <cmath>
#include <cstdlib>
#include <string_view>

namespace mailvane::engine {

namespace {

// The locale the user's environment names for numbers, as setlocale would choose it.
std::string_view numericLocaleName() {
  for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return value;
  }
  return {};
}

}  // namespace

// Read once, and only the numeric part of the user's locale: loading the whole locale
// opens a dozen files, more work than the rest of a small message's header fields. The C
// locales, the usual one for batch runs, need no lookup at all.
char SizeText::decimalSeparator() {
  static const char separator = [] {
    const std::string_view name = numericLocaleName();
    if (name.empty() || name == "C" || name == "POSIX" || name.starts_with("C.")) return '.';
    char found = '.';  // an unknown locale in the environment is not worth failing over
    if (locale_t numeric = newlocale(LC_NUMERIC_MASK, "", nullptr)) {
      const char* point = nl_langinfo_l(RADIXCHAR, numeric);
      if (point && point[0] != '\0') found = point[0];
      freelocale(numeric);
    }
    return found;
  }();
  return separator;
}

std::string SizeText::format(int32_t n) {
  struct Unit {
    double size;
    const char* name;
  };
  static constexpr Unit kUnits[] = {
      {1073741824.0, " GB"}, {1048576.0, " MB"}, {1024.0, " KB"}};
  for (const Unit& unit : kUnits) {
    if (n < unit.size) continue;
    // Sizes are whole numbers over powers of two, so n * 100 / unit is exact and ties
    // round the way a printed "#0.00" does.
    const long long hundredths = std::llround(static_cast<double>(n) * 100.0 / unit.size);
    std::string out = std::to_string(hundredths / 100);
    out += decimalSeparator();
    const long long cents = hundredths % 100;
    if (cents < 10) out += '0';
    out += std::to_string(cents);
    return out + unit.name;
  }
  return std::to_string(n) + " Bytes";
}

}  // namespace mailvane::engine
