#include "engine/SizeText.h"

#include <langinfo.h>
#include <locale.h>

#include <cmath>

namespace mailvane::engine {

// Read once, and only the numeric part of the user's locale: loading the whole locale
// opens a dozen files, more work than the rest of a small message's header fields.
char SizeText::decimalSeparator() {
  static const char separator = [] {
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
