#pragma once
// Header text with MIME encoded words ("=?charset?B?...?=", "=?charset?Q?...?=") as UTF-8.

#include <string>
#include <string_view>

namespace mailvane::index {

// Decodes every encoded word through iconv, in any charset iconv knows; whitespace between
// two adjacent encoded words is dropped, and adjacent words in one charset are converted
// together, so a character split across two words survives. A word that cannot be decoded
// is kept as it stands. Text outside encoded words is kept when it is UTF-8 and otherwise
// read in the active code page.
std::string decodeEncodedWords(std::string_view header);

// Bytes in charset as UTF-8; false when iconv does not know the charset or the bytes are
// not valid in it.
bool convertToUtf8(std::string_view bytes, std::string_view charset, std::string& utf8);

}  // namespace mailvane::index
