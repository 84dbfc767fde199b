#pragma once
// Quoted-printable bodies back to text: "=" and two hexadecimal digits become the byte of
// that code, soft line breaks ("=" CR LF) disappear.

#include <string>
#include <string_view>

namespace mailvane::engine {

class QuotedPrintable {
 public:
  // The byte for a one- or two-digit hexadecimal code ("3D" -> "=", "A" -> LF); empty
  // when h is empty or not a hexadecimal number.
  static std::string hexChar(std::string_view h);
  // One left-to-right pass, so a decoded "=" never starts a second escape. An "=" takes
  // up to two following characters, never past the next "=", so "=4=41" decodes the
  // lone "4" too.
  static std::string decode(std::string_view text);
  // The accented letters some clients leave escaped in capitals after decoding (a
  // decoded "=3DE5" reads "=E5"); every other escape stays as it is.
  static std::string decodeAccents(std::string_view text);
};

}  // namespace mailvane::engine
