#pragma once
// Message text is kept as bytes of one single-byte code page (Windows-1252 unless
// MAILVANE_CODEPAGE names another). Conversion to Unicode happens only at the edges.

#include <string>
#include <string_view>

namespace mailvane::system {

// Bytes of the active code page -> UTF-8, and back (unmappable characters become "?").
std::string toUtf8(std::string_view codePageText);
std::string fromUtf8(std::string_view utf8);

// Lower-casing that follows the code page (ASCII and its accented letters) and never
// changes the length.
char toLowerCp(char c);
std::string toLowerCp(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);
// Position of needle in haystack at or after from, ignoring case; npos when absent.
size_t findNoCase(std::string_view haystack, std::string_view needle, size_t from = 0);

// Appends one Unicode code point to a UTF-8 string.
void appendUtf8(std::string& out, char32_t c);

// Name of the active code page, e.g. "windows-1252".
std::string activeCodePage();

}  // namespace mailvane::system
