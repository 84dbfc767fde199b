#include "engine/SizeText.h"

#include <cmath>
#include <locale>

namespace mailvane::engine {

// Read once: building the user's locale costs about half a millisecond, more than the
// rest of a small message's header fields, and it does not change while we run.
char SizeText::decimalSeparator() {
  static const char separator = [] {
    try {
      return std::use_facet<std::numpunct<char>>(std::locale("")).decimal_point();
    } catch (const std::exception&) {
      return '.';  // an unknown locale in the environment is not worth failing over
    }
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
