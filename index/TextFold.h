#pragma once
// Case folding of UTF-8 text for case-blind matching in the index. SQLite's own LIKE folds
// ASCII only, so titles are stored folded beside their original text and the search
// pattern is folded the same way.

#include <string>
#include <string_view>

namespace mailvane::index {

// Lower-cases the Latin (ASCII, Latin-1, Latin Extended-A), Greek and Cyrillic capitals;
// every other character and every byte that is not valid UTF-8 is kept unchanged.
std::string foldCase(std::string_view utf8);

// The text with every byte that is not part of a well-formed UTF-8 sequence replaced by
// U+FFFD; well-formed text comes back unchanged.
std::string validUtf8(std::string_view text);

// True when text is well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view text);

}  // namespace mailvane::index
