#pragma once
// The text forms of Wine's hive format: escaped strings, key paths and value data.

#include "system/WineHive.h"

#include <optional>
#include <string>
#include <string_view>

namespace mailvane::system::hivetext {

// Reads an escaped string that starts after its opening delimiter and ends at the first
// unescaped closing one; text is advanced past that delimiter. Nothing when it never ends.
std::optional<std::u16string> readEscaped(std::string_view& text, char closing);
// The escaped form: ASCII only, backslash and the delimiters escaped.
std::string escape(std::u16string_view text, std::string_view delimiters);

// A key header line without leading blanks ("[Software\\Wine] 1700000000"); nothing when
// the name is unreadable.
std::optional<HivePath> readKeyHeader(std::string_view line);
std::string writeKeyHeader(const HivePath& path, long long unixTime);

// The part of a value line after "=" as type and registry bytes; nothing when unreadable.
std::optional<HiveValue> readValueData(std::string_view data);
// A whole value line ("name"=data), wrapping long byte lists over continuation lines.
std::string writeValueLine(const HiveValue& value);

// True when the data text is a byte list that may continue on following lines.
bool isByteList(std::string_view data);

}  // namespace mailvane::system::hivetext
