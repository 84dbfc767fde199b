#pragma once
// The decoding pass behind Base64: one sweep over the text that leaves out CR LF pairs
// and "=" while it decodes, so that neither the text nor the output is copied twice.
// The output can be taken whole or in pieces of bounded size (for writing to a file).

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mailvane::detail {

class Base64Decoder {
 public:
  explicit Base64Decoder(std::string_view text);

  // Most bytes that decoding `chars` characters of text can give, tail included.
  static size_t maxDecodedSize(size_t chars) { return chars / 4 * 3 + 3; }

  // Decodes up to position `limit` (or one pair further when a CR LF straddles it) into
  // `out`, which must hold maxDecodedSize(limit - position()) bytes. Returns the bytes
  // written; a group begun before `limit` is finished by a later call or by finish().
  size_t decodeUntil(size_t limit, char* out);
  // Writes the bytes of the last, incomplete group (at most 2) and returns their count.
  size_t finish(char* out);

  size_t position() const { return pos_; }
  bool done() const { return pos_ >= size_; }
  // False while every character seen so far was removed: nothing to decode (yet).
  bool sawData() const { return sawData_; }

  // Whether blocks of the alphabet are decoded with the processor's vector instructions
  // (where it has them). Tests switch it off to compare both paths.
  static bool wideEnabled() { return wideEnabled_; }
  static void setWideEnabled(bool on);

 private:
  size_t takeOne(size_t i, char*& out);
  static char* writeGroup(uint8_t x0, uint8_t x1, uint8_t x2, uint8_t x3, char* out);

  const uint8_t* in_;
  size_t size_;
  size_t pos_ = 0;
  uint8_t group_[4] = {0, 0, 0, 0};
  size_t pending_ = 0;
  bool sawData_ = false;
  static bool wideEnabled_;
};

}  // namespace mailvane::detail
