#pragma once
// Small text helpers shared by the engine pieces. Text is bytes of the code page;
// positions are 0-based with npos for "not found". Every helper is one linear pass.

#include <string>
#include <string_view>

#include "engine/TextFinder.h"

namespace mailvane::engine {

inline constexpr std::string_view kCrLf = "\r\n";
inline constexpr std::string_view kBlankLine = "\r\n\r\n";
inline constexpr size_t npos = std::string_view::npos;

inline bool contains(std::string_view text, std::string_view part) {
  return TextFinder::find(text, part) != npos;
}

// Replaces every occurrence of find, scanning left to right without rescanning what
// was put in; the same result as a single replace-all call.
std::string replaceAll(std::string_view text, std::string_view find, std::string_view by);
inline std::string removeAll(std::string_view text, std::string_view find) {
  return replaceAll(text, find, {});
}

// Leading and trailing spaces removed; tabs and other white space stay.
std::string_view trimSpaces(std::string_view text);
// Leading and trailing spaces, tabs, CRs and LFs removed; an all-blank text gives the
// empty view at its end.
std::string_view trimWhite(std::string_view text);

// The line that starts at `from` (up to, not including, its CR LF) and where the next
// line starts (text.size() when it is the last line).
struct Line {
  std::string_view text;
  size_t start = 0;
  size_t next = 0;
};
Line lineAt(std::string_view text, size_t from);

// The characters from `from` up to, not including, `to`, clamped to the text.
std::string_view slice(std::string_view text, size_t from, size_t to);

// The value of a header-like field: from after the field (or, when the field ends its
// own line, from the next line) up to the end marker, found without regard to case;
// spaces trimmed. A missing field reads from position field.size() - 1, so callers test
// for the field first.
std::string fieldValue(std::string_view field, std::string_view endMarker,
                       std::string_view text);
// The same from positions already found: `at` of the field, `wrapped` of the field
// followed by the end marker (npos where absent).
std::string fieldValue(std::string_view field, std::string_view endMarker, std::string_view text,
                       size_t at, size_t wrapped);

// The half-to-even rounded percentage of part / whole, computed in double precision
// like the rest of the progress arithmetic.
int roundedPercent(long long part, long long whole);

}  // namespace mailvane::engine
