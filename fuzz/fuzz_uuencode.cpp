// Uuencode body decoding of untrusted text, and the encoder's round trip.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "codecs/UUencode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const mailvane::UUencode codec;
  (void)codec.Decode(input);
  if (codec.Decode(codec.Encode(input)) != input) std::abort();
  return 0;
}
