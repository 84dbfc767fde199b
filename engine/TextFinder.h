#pragma once
// Substring search over whole messages. A message is mostly base64 and quoted-printable
// text, where a byte-by-byte scan (or a scan that stops at every occurrence of a
// needle's first letter) costs more than the rest of the parsing. These searches jump
// with memchr to one "anchor" byte of the needle, chosen among the bytes such text
// rarely holds, and compare the rest only there. When the anchor proves common in the
// text at hand, exact searches move to the needle byte rarest in the text ahead, or to
// memmem (which skips on byte pairs) when none is rare there.
//
// Results are those of std::string_view::find and of a case-blind find that follows
// the code page's lower-casing.

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace mailvane::engine {

class TextFinder {
 public:
  // Position of needle in haystack at or after from; npos when absent.
  static size_t find(std::string_view haystack, std::string_view needle, size_t from = 0);
  // The same without regard to letter case.
  static size_t findNoCase(std::string_view haystack, std::string_view needle, size_t from = 0);
  static bool equalsNoCase(std::string_view a, std::string_view b);
  // The first position of every needle (npos where absent), as find() gives it, in one
  // sweep over the places where `anchor` stands instead of one sweep per needle: a
  // message's header fields all hold ":", which its base64 bulk never does. Needles
  // without the anchor byte are searched one by one.
  static std::vector<size_t> findEach(std::string_view haystack,
                                      std::span<const std::string_view> needles, char anchor);

 private:
  // Index of the needle byte to jump to; npos when every byte has a case twin.
  static size_t anchorIndex(std::string_view needle, bool caseBlind);
  // dense(position) is asked for the answer from there on when the anchor byte proves
  // common; nullopt keeps jumping.
  template <typename Equal, typename Dense>
  static size_t findAnchored(std::string_view haystack, std::string_view needle, size_t from,
                             size_t anchor, Equal equal, Dense dense);
};

}  // namespace mailvane::engine
