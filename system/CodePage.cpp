#include "system/CodePage.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace mailvane::system {
namespace {

using Table = std::array<char32_t, 256>;

// Unicode of each byte of a code page. Bytes 0x00-0x7F are ASCII in every page we know.
Table latin1Table() {
  Table t{};
  for (int i = 0; i < 256; ++i) t[static_cast<size_t>(i)] = static_cast<char32_t>(i);
  return t;
}

Table windows1252Table() {
  Table t = latin1Table();
  // 0x80-0x9F differ from ISO-8859-1; undefined positions keep their C1 control code.
  static constexpr char32_t high[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  for (int i = 0; i < 32; ++i) t[static_cast<size_t>(0x80 + i)] = high[i];
  return t;
}

Table iso885915Table() {
  Table t = latin1Table();
  t[0xA4] = 0x20AC; t[0xA6] = 0x0160; t[0xA8] = 0x0161; t[0xB4] = 0x017D;
  t[0xB8] = 0x017E; t[0xBC] = 0x0152; t[0xBD] = 0x0153; t[0xBE] = 0x0178;
  return t;
}

struct CodePage {
  std::string name;
  Table toUnicode;
  std::array<unsigned char, 256> lower;
};

std::array<unsigned char, 256> lowerTableFor(const Table& uni) {
  std::array<unsigned char, 256> lower{};
  for (int b = 0; b < 256; ++b) {
    lower[static_cast<size_t>(b)] = static_cast<unsigned char>(b);
  }
  // A byte lower-cases to the byte whose character is its lower-case form, when the page
  // has one. Latin-1 letters and the few extra letters of the Windows and -15 pages all
  // fold by the simple rules below.
  auto lowerOf = [](char32_t c) -> char32_t {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    if (c == 0x0160 || c == 0x017D) return c + 1;  // Š Ž
    if (c == 0x0152) return 0x0153;                // Œ
    if (c == 0x0178) return 0x00FF;                // Ÿ
    return c;
  };
  for (int b = 0; b < 256; ++b) {
    char32_t want = lowerOf(uni[static_cast<size_t>(b)]);
    if (want == uni[static_cast<size_t>(b)]) continue;
    for (int o = 0; o < 256; ++o)
      if (uni[static_cast<size_t>(o)] == want) {
        lower[static_cast<size_t>(b)] = static_cast<unsigned char>(o);
        break;
      }
  }
  return lower;
}

CodePage makePage(std::string name, Table t) {
  auto lower = lowerTableFor(t);
  return CodePage{std::move(name), t, lower};
}

std::string normalise(std::string n) {
  for (auto& c : n) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return n;
}

const CodePage& active() {
  static const CodePage page = [] {
    const char* env = std::getenv("MAILVANE_CODEPAGE");
    std::string want = normalise(env ? env : "");
    if (want == "iso-8859-1" || want == "latin1" || want == "28591")
      return makePage("iso-8859-1", latin1Table());
    if (want == "iso-8859-15" || want == "latin9" || want == "28605")
      return makePage("iso-8859-15", iso885915Table());
    return makePage("windows-1252", windows1252Table());
  }();
  return page;
}

}  // namespace

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string activeCodePage() { return active().name; }

std::string toUtf8(std::string_view text) {
  const auto& t = active().toUnicode;
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (unsigned char b : text) appendUtf8(out, t[b]);
  return out;
}

std::string fromUtf8(std::string_view utf8) {
  const auto& t = active().toUnicode;
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    auto b = static_cast<unsigned char>(utf8[i]);
    char32_t c;
    size_t len;
    if (b < 0x80) { c = b; len = 1; }
    else if ((b >> 5) == 0x6) { c = b & 0x1F; len = 2; }
    else if ((b >> 4) == 0xE) { c = b & 0x0F; len = 3; }
    else if ((b >> 3) == 0x1E) { c = b & 0x07; len = 4; }
    else { out += '?'; ++i; continue; }
    if (i + len > utf8.size()) { out += '?'; break; }
    bool ok = true;
    for (size_t k = 1; k < len; ++k) {
      auto cb = static_cast<unsigned char>(utf8[i + k]);
      if ((cb >> 6) != 0x2) { ok = false; break; }
      c = (c << 6) | (cb & 0x3F);
    }
    if (!ok) { out += '?'; ++i; continue; }
    i += len;
    if (c < 0x80) { out += static_cast<char>(c); continue; }
    char mapped = '?';
    for (int o = 0x80; o < 256; ++o)
      if (t[static_cast<size_t>(o)] == c) { mapped = static_cast<char>(o); break; }
    out += mapped;
  }
  return out;
}

char toLowerCp(char c) {
  return static_cast<char>(active().lower[static_cast<unsigned char>(c)]);
}

std::string toLowerCp(std::string_view text) {
  const auto& lower = active().lower;
  std::string out(text);
  for (auto& c : out) c = static_cast<char>(lower[static_cast<unsigned char>(c)]);
  return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const auto& lower = active().lower;
  for (size_t i = 0; i < a.size(); ++i)
    if (lower[static_cast<unsigned char>(a[i])] != lower[static_cast<unsigned char>(b[i])])
      return false;
  return true;
}

size_t findNoCase(std::string_view haystack, std::string_view needle, size_t from) {
  if (needle.empty()) return from <= haystack.size() ? from : std::string_view::npos;
  if (needle.size() > haystack.size()) return std::string_view::npos;
  const auto& lower = active().lower;
  const unsigned char first = lower[static_cast<unsigned char>(needle[0])];
  for (size_t i = from; i + needle.size() <= haystack.size(); ++i) {
    if (lower[static_cast<unsigned char>(haystack[i])] != first) continue;
    size_t k = 1;
    while (k < needle.size() && lower[static_cast<unsigned char>(haystack[i + k])] ==
                                    lower[static_cast<unsigned char>(needle[k])])
      ++k;
    if (k == needle.size()) return i;
  }
  return std::string_view::npos;
}

}  // namespace mailvane::system
