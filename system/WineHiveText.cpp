#include "system/WineHiveText.h"

#include "system/Utf16.h"

#include <cstdio>

namespace mailvane::system::hivetext {
namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isOctal(char16_t c) { return c >= u'0' && c <= u'7'; }
bool isHex(char16_t c) { return c < 0x80 && hexDigit(static_cast<char>(c)) >= 0; }

std::string_view skipBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

bool consume(std::string_view& s, std::string_view prefix) {
  if (s.substr(0, prefix.size()) != prefix) return false;
  s.remove_prefix(prefix.size());
  return true;
}

// Up to maxDigits digits of the given base; nothing when there is none.
std::optional<unsigned long> readNumber(std::string_view& s, int base, size_t maxDigits) {
  unsigned long n = 0;
  size_t count = 0;
  while (count < maxDigits && count < s.size()) {
    const int d = hexDigit(s[count]);
    if (d < 0 || d >= base) break;
    n = n * static_cast<unsigned long>(base) + static_cast<unsigned long>(d);
    ++count;
  }
  if (count == 0) return std::nullopt;
  s.remove_prefix(count);
  return n;
}

char16_t namedEscape(char c) {
  switch (c) {
    case 'a': return u'\a';
    case 'b': return u'\b';
    case 'e': return 0x1B;
    case 'f': return u'\f';
    case 'n': return u'\n';
    case 'r': return u'\r';
    case 't': return u'\t';
    case 'v': return u'\v';
    default: return 0;
  }
}

// One escape after the backslash; s is advanced past it.
void readEscape(std::string_view& s, std::u16string& out) {
  const char c = s.front();
  if (c == 'x') {
    s.remove_prefix(1);
    // At most four digits: the writer pads to four when a hex digit follows.
    if (auto n = readNumber(s, 16, 4)) out.push_back(static_cast<char16_t>(*n));
    else out.push_back(u'x');
    return;
  }
  if (c >= '0' && c <= '7') {
    out.push_back(static_cast<char16_t>(*readNumber(s, 8, 3)));
    return;
  }
  const char16_t named = namedEscape(c);
  if (named != 0) {
    out.push_back(named);
    s.remove_prefix(1);
    return;
  }
  // Any other escaped byte stands for itself; a UTF-8 sequence is taken whole below.
  if (static_cast<unsigned char>(c) < 0x80) {
    out.push_back(static_cast<char16_t>(c));
    s.remove_prefix(1);
  }
}

// Raw bytes from the first byte that is not ASCII up to the next ASCII byte, as UTF-8.
void readUtf8Run(std::string_view& s, std::u16string& out) {
  size_t n = 0;
  while (n < s.size() && static_cast<unsigned char>(s[n]) >= 0x80) ++n;
  out += utf8ToUtf16(s.substr(0, n));
  s.remove_prefix(n);
}

std::vector<std::uint8_t> utf16Bytes(const std::u16string& units, bool addNul) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(units.size() * 2 + 2);
  for (char16_t u : units) {
    bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  if (addNul) bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

std::optional<std::vector<std::uint8_t>> readByteList(std::string_view s) {
  std::vector<std::uint8_t> bytes;
  for (;;) {
    s = skipBlanks(s);
    while (!s.empty() && (s.front() == ',' || s.front() == '\\')) s = skipBlanks(s.substr(1));
    if (s.empty()) return bytes;
    auto n = readNumber(s, 16, 2);
    if (!n) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(*n));
  }
}

std::optional<HiveValue> readString(std::string_view s, std::uint32_t type) {
  if (!consume(s, "\"")) return std::nullopt;
  auto text = readEscaped(s, '"');
  if (!text) return std::nullopt;
  return HiveValue{{}, type, utf16Bytes(*text, true)};
}

// "(N):" after "str" or "hex"; type stays as given when there is no "(N)".
bool readTypeSuffix(std::string_view& s, std::uint32_t& type) {
  if (consume(s, "(")) {
    auto n = readNumber(s, 16, 8);
    if (!n || !consume(s, ")")) return false;
    type = static_cast<std::uint32_t>(*n);
  }
  return consume(s, ":");
}

// Whether the registry bytes are a NUL-terminated UTF-16 text that a quoted form keeps.
bool isTerminatedText(const HiveValue& v) {
  const auto& d = v.data;
  return (v.type == 1 || v.type == 2 || v.type == 7) && d.size() >= 2 && d.size() % 2 == 0 &&
         d[d.size() - 1] == 0 && d[d.size() - 2] == 0;
}

std::u16string unitsOf(const std::vector<std::uint8_t>& d, size_t count) {
  std::u16string units;
  units.reserve(count);
  for (size_t i = 0; i < count; ++i)
    units.push_back(static_cast<char16_t>(d[2 * i] | (d[2 * i + 1] << 8)));
  return units;
}

std::string writeByteList(const HiveValue& v, size_t column) {
  std::string out;
  char buf[16];
  for (size_t i = 0; i < v.data.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", v.data[i]);
    out += buf;
    column += 2;
    if (i + 1 == v.data.size()) break;
    out += ',';
    ++column;
    // Wine wraps at the same width, which keeps diffs of rewritten hives small.
    if (column > 76) {
      out += "\\\n  ";
      column = 2;
    }
  }
  return out;
}

}  // namespace

std::optional<std::u16string> readEscaped(std::string_view& text, char closing) {
  std::u16string out;
  std::string_view s = text;
  while (!s.empty()) {
    const char c = s.front();
    if (c == closing) {
      text = s.substr(1);
      return out;
    }
    if (c == '\\') {
      s.remove_prefix(1);
      if (s.empty()) break;
      if (static_cast<unsigned char>(s.front()) >= 0x80) readUtf8Run(s, out);
      else readEscape(s, out);
      continue;
    }
    if (static_cast<unsigned char>(c) >= 0x80) {
      readUtf8Run(s, out);
      continue;
    }
    out.push_back(static_cast<char16_t>(c));
    s.remove_prefix(1);
  }
  return std::nullopt;
}

std::string escape(std::u16string_view text, std::string_view delimiters) {
  std::string out;
  out.reserve(text.size() + 8);
  char buf[16];
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool hasNext = i + 1 < text.size();
    if (c > 127) {
      // Four digits when a hex digit follows, so the reader stops at the right place.
      std::snprintf(buf, sizeof buf, hasNext && isHex(text[i + 1]) ? "\\x%04x" : "\\x%x",
                    static_cast<unsigned>(c));
      out += buf;
    } else if (c < 32) {
      static constexpr std::string_view names = "\a\b\x1b\f\n\r\t\v";
      static constexpr std::string_view letters = "abefnrtv";
      const size_t k = names.find(static_cast<char>(c));
      if (k != std::string_view::npos && c != 0) {
        out += '\\';
        out += letters[k];
      } else {
        std::snprintf(buf, sizeof buf, hasNext && isOctal(text[i + 1]) ? "\\%03o" : "\\%o",
                      static_cast<unsigned>(c));
        out += buf;
      }
    } else {
      if (c == u'\\' || delimiters.find(static_cast<char>(c)) != std::string_view::npos)
        out += '\\';
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::optional<HivePath> readKeyHeader(std::string_view line) {
  if (!consume(line, "[")) return std::nullopt;
  auto name = readEscaped(line, ']');
  if (!name) return std::nullopt;
  HivePath path;
  size_t start = 0;
  while (start <= name->size()) {
    size_t end = name->find(u'\\', start);
    if (end == std::u16string::npos) end = name->size();
    if (end > start) path.push_back(name->substr(start, end - start));
    start = end + 1;
  }
  return path;
}

std::string writeKeyHeader(const HivePath& path, long long unixTime) {
  std::u16string joined;
  for (size_t i = 0; i < path.size(); ++i) {
    if (i) joined += u'\\';
    joined += path[i];
  }
  return std::string("[") + escape(joined, "[]") + "] " + std::to_string(unixTime);
}

std::optional<HiveValue> readValueData(std::string_view s) {
  s = skipBlanks(s);
  if (!s.empty() && s.front() == '"') return readString(s, 1);
  std::uint32_t type = 1;
  if (consume(s, "str")) {
    if (!readTypeSuffix(s, type)) return std::nullopt;
    return readString(s, type);
  }
  if (consume(s, "dword:")) {
    auto n = readNumber(s, 16, 8);
    if (!n) return std::nullopt;
    std::vector<std::uint8_t> bytes(4);
    for (size_t i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(*n >> (8 * i));
    return HiveValue{{}, 4, bytes};
  }
  if (consume(s, "hex")) {
    type = 3;
    if (!readTypeSuffix(s, type)) return std::nullopt;
    auto bytes = readByteList(s);
    if (!bytes) return std::nullopt;
    return HiveValue{{}, type, std::move(*bytes)};
  }
  return std::nullopt;
}

std::string writeValueLine(const HiveValue& v) {
  std::string line = v.name.empty() ? "@=" : std::string("\"") + escape(v.name, "\"") + "\"=";
  if (isTerminatedText(v)) {
    if (v.type != 1) {
      char buf[24];
      std::snprintf(buf, sizeof buf, "str(%x):", static_cast<unsigned>(v.type));
      line += buf;
    }
    line += '"';
    line += escape(unitsOf(v.data, v.data.size() / 2 - 1), "\"");
    line += '"';
    return line;
  }
  if (v.type == 4 && v.data.size() == 4) {
    char buf[16];
    const std::uint32_t n = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                            (static_cast<std::uint32_t>(v.data[3]) << 24);
    std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(n));
    return line + buf;
  }
  if (v.type == 3) {
    line += "hex:";
  } else {
    char buf[24];
    std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.type));
    line += buf;
  }
  return line + writeByteList(v, line.size());
}

bool isByteList(std::string_view data) {
  data = skipBlanks(data);
  return data.substr(0, 3) == "hex";
}

}  // namespace mailvane::system::hivetext
