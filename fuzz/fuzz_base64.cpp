// Base64 decoding of untrusted payloads, and the encoder's round trip.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "codecs/Base64.h"
#include "codecs/Base64Decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const mailvane::Base64 codec;
  const auto decoded = codec.DecodeArr(input);
  // Three characters left over give two bytes.
  if (decoded && decoded->size() > size / 4 * 3 + 2) std::abort();
  // The vector path (where the processor has one) and the byte-wise path agree.
  mailvane::detail::Base64Decoder::setWideEnabled(false);
  const auto byteWise = codec.DecodeArr(input);
  mailvane::detail::Base64Decoder::setWideEnabled(true);
  if (byteWise != decoded) std::abort();
  if (codec.DecodeArr(codec.EncodeArr(input)).value_or("") != input) std::abort();
  return 0;
}
