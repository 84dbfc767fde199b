#pragma once
// UTF-8 <-> UTF-16 for the registry, whose names and texts are UTF-16 code units.

#include <string>
#include <string_view>

namespace mailvane::system {

// Invalid UTF-8 bytes are skipped; NUL characters are kept.
std::u16string utf8ToUtf16(std::string_view utf8);
// Unpaired surrogates become U+FFFD; NUL characters are kept.
std::string utf16ToUtf8(std::u16string_view utf16);

// Code-page text (one byte per character) <-> UTF-16, through the active code page.
std::u16string codePageToUtf16(std::string_view text);
std::string utf16ToCodePage(std::u16string_view utf16);

// Simple case folding of one code unit for comparing registry names (ASCII, Latin-1,
// Greek and Cyrillic capitals).
char16_t foldCase(char16_t c);
std::u16string foldCase(std::u16string_view text);

}  // namespace mailvane::system
