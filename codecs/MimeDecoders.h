#pragma once
// Transfer-encoding decoders for parts of any shape of mail, as widely used mail readers
// decode them. They never fail: whatever cannot be read is skipped or kept as it stands,
// so a garbled body still gives the bytes it holds.

#include <string>
#include <string_view>

namespace mailvane {

class MimeDecoders {
 public:
  // Base64 of a MIME body: every character outside the alphabet (line ends of either
  // kind, spaces, stray punctuation) is skipped, decoding stops at the padding that
  // closes a group, and a last, unfinished group gives the whole bytes it holds.
  static std::string Base64Bytes(std::string_view text);

  // Quoted-printable of a MIME body: "=XX" (either case of hex digit) is that byte, "="
  // before a line end (CR LF, LF, or CR up to the next LF) is a soft break, "==" is "=",
  // and any other "=" stays as it is. Line ends and trailing spaces are kept.
  static std::string QuotedPrintableBytes(std::string_view text);

  // The value of a hexadecimal digit in either case; -1 for any other character.
  static int HexDigit(char c);
};

}  // namespace mailvane
