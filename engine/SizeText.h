#pragma once
// Sizes as people read them: "1023 Bytes", "1.50 KB", "2.00 MB", "1.00 GB".

#include <cstdint>
#include <string>

namespace mailvane::engine {

class SizeText {
 public:
  // Two decimals, rounded half away from zero, with the decimal separator of the
  // user's locale.
  static std::string format(int32_t n);

 private:
  static char decimalSeparator();
};

}  // namespace mailvane::engine
