#include "engine/MimeHeader.h"

#include <algorithm>
#include <map>

#include "codecs/MimeDecoders.h"
#include "engine/TextFinder.h"
#include "engine/TextOps.h"
#include "system/CodePage.h"

namespace mailvane::engine {
namespace {

constexpr std::string_view kSpace = " \t\r\n";


// "a" -> a, "a\"b" -> a"b, <a> -> a, as mail readers unquote parameter values.
std::string unquote(std::string_view v) {
  if (v.size() > 1 && v.front() == '"' && v.back() == '"') {
    std::string out;
    v = v.substr(1, v.size() - 2);
    for (size_t i = 0; i < v.size(); ++i) {
      if (v[i] == '\\' && i + 1 < v.size() && (v[i + 1] == '\\' || v[i + 1] == '"')) ++i;
      out.push_back(v[i]);
    }
    return out;
  }
  if (v.size() > 1 && v.front() == '<' && v.back() == '>') return std::string(v.substr(1, v.size() - 2));
  return std::string(v);
}

// Calls f(key, value) for each "key=value" parameter after the first ";", splitting at
// semicolons outside quotes.
template <typename F>
void forEachParam(std::string_view value, F f) {
  size_t at = value.find(';');
  while (at != std::string_view::npos && at < value.size()) {
    size_t end = at + 1;
    bool quoted = false;
    for (; end < value.size(); ++end) {
      const char c = value[end];
      if (c == '\\' && quoted) {
        ++end;
        continue;
      }
      if (c == '"') quoted = !quoted;
      if (c == ';' && !quoted) break;
    }
    const std::string_view piece = value.substr(at + 1, std::min(end, value.size()) - at - 1);
    const size_t eq = piece.find('=');
    if (eq != std::string_view::npos) f(trimWhite(piece.substr(0, eq)), trimWhite(piece.substr(eq + 1)));
    at = end;
  }
}


// "%XX" (RFC 2231) or "=XX" (the "Q" encoding of encoded words, where "_" is a space)
// as the byte XX; anything else as it stands.
std::string unescaped(std::string_view s, char escape, bool underscoreIsSpace) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (underscoreIsSpace && s[i] == '_') {
      out.push_back(' ');
    } else if (s[i] == escape && i + 2 < s.size() && MimeDecoders::HexDigit(s[i + 1]) >= 0 &&
               MimeDecoders::HexDigit(s[i + 2]) >= 0) {
      out.push_back(static_cast<char>(MimeDecoders::HexDigit(s[i + 1]) * 16 + MimeDecoders::HexDigit(s[i + 2])));
      i += 2;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

// One encoded word at `at` ("=?charset?X?text?="): its decoded text and where it ends.
std::optional<std::pair<std::string, size_t>> encodedWordAt(std::string_view text, size_t at) {
  if (text.substr(at, 2) != "=?") return std::nullopt;
  const size_t q1 = text.find('?', at + 2);
  if (q1 == std::string_view::npos || q1 + 2 >= text.size() || text[q1 + 2] != '?')
    return std::nullopt;
  const size_t end = text.find("?=", q1 + 3);
  if (end == std::string_view::npos) return std::nullopt;
  std::string_view charset = text.substr(at + 2, q1 - at - 2);
  charset = charset.substr(0, charset.find('*'));  // RFC 2231 language suffix
  const char kind = system::toLowerCp(text[q1 + 1]);
  const std::string_view payload = text.substr(q1 + 3, end - q1 - 3);
  if (payload.find_first_of(" \t\r\n") != std::string_view::npos) return std::nullopt;
  std::string bytes;
  if (kind == 'b')
    bytes = MimeDecoders::Base64Bytes(payload);
  else if (kind == 'q')
    bytes = unescaped(payload, '=', true);
  else
    return std::nullopt;
  return std::make_pair(charsetToCodePage(bytes, charset), end + 2);
}

}  // namespace

MimeLines::MimeLines(std::string_view text)
    : text_(text),
      end_(text.find('\n') == std::string_view::npos && text.find('\r') != std::string_view::npos
               ? '\r'
               : '\n') {}

MimeLine MimeLines::at(size_t from) const {
  if (from >= text_.size()) return MimeLine{{}, text_.size(), text_.size()};
  const void* hit = std::memchr(text_.data() + from, end_, text_.size() - from);
  if (!hit) return MimeLine{text_.substr(from), from, text_.size()};
  const size_t end = static_cast<size_t>(static_cast<const char*>(hit) - text_.data());
  size_t lineEnd = end;
  if (end_ == '\n' && lineEnd > from && text_[lineEnd - 1] == '\r') --lineEnd;
  return MimeLine{text_.substr(from, lineEnd - from), from, end + 1};
}

size_t MimeLines::endBefore(size_t lineStart) const {
  size_t at = lineStart - 1;
  if (end_ == '\n' && at > 0 && text_[at - 1] == '\r') --at;
  return at;
}

bool MimeHeader::isHeaderLine(std::string_view line) {
  if (line.empty()) return false;
  if (line.front() == ' ' || line.front() == '\t') return true;
  for (const char c : line) {
    if (c == ':') return true;
    if (c < '!' || c > '~') return false;
  }
  return false;
}

void MimeHeader::take(std::string_view name, std::string_view value) {
  struct Known {
    std::string_view name;
    std::string_view MimeHeader::*field;
  };
  static constexpr Known known[] = {{"content-type", &MimeHeader::contentType},
                                    {"content-disposition", &MimeHeader::contentDisposition},
                                    {"content-transfer-encoding", &MimeHeader::transferEncoding},
                                    {"content-id", &MimeHeader::contentId}};
  name = trimWhite(name);
  for (const Known& k : known) {
    if (!TextFinder::equalsNoCase(name, k.name)) continue;
    // A field given with nothing after the colon still counts as given.
    if ((this->*k.field).data() == nullptr) this->*k.field = value.data() ? value : std::string_view("", 0);
    return;
  }
}

std::string MimeParams::mainValue() const {
  return system::toLowerCp(trimWhite(value_.substr(0, value_.find(';'))));
}

std::optional<std::string> MimeParams::get(std::string_view name, bool words) const {
  std::optional<std::string> plain;
  // RFC 2231: name*=charset'lang'%xx, or pieces name*0, name*1*, ... in any order.
  std::map<long, std::pair<std::string, bool>> pieces;
  forEachParam(value_, [&](std::string_view key, std::string_view value) {
    if (key.size() < name.size() || !TextFinder::equalsNoCase(key.substr(0, name.size()), name)) return;
    const std::string_view rest = key.substr(name.size());
    if (rest.empty()) {
      if (!plain) plain = unquote(value);
      return;
    }
    if (rest.front() != '*') return;
    std::string_view number = rest.substr(1);
    const bool encoded = number.ends_with('*') || number.empty();
    if (number.ends_with('*')) number.remove_suffix(1);
    long index = 0;
    if (!number.empty()) {
      if (number.size() > 6 || number.find_first_not_of("0123456789") != std::string_view::npos)
        return;
      index = std::stol(std::string(number));
    }
    pieces.try_emplace(index, unquote(value), encoded);
  });
  if (pieces.empty()) {
    if (plain && words) return decodeEncodedWords(*plain);
    return plain;
  }
  std::string joined;
  std::string charset;
  bool first = true;
  for (auto& [index, piece] : pieces) {
    std::string text = piece.first;
    if (first && piece.second) {
      // The first encoded piece opens with charset'language'.
      const size_t t1 = text.find('\'');
      const size_t t2 = t1 == std::string::npos ? t1 : text.find('\'', t1 + 1);
      if (t2 != std::string::npos) {
        charset = text.substr(0, t1);
        text = text.substr(t2 + 1);
      }
    }
    first = false;
    joined += piece.second ? unescaped(text, '%', false) : text;
  }
  return charset.empty() ? (words ? decodeEncodedWords(joined) : joined)
                         : charsetToCodePage(joined, charset);
}

std::string decodeEncodedWords(std::string_view text) {
  if (text.find("=?") == std::string_view::npos) return std::string(text);
  std::string out;
  size_t at = 0;
  size_t lastWordEnd = std::string_view::npos;
  while (at < text.size()) {
    const size_t start = text.find("=?", at);
    if (start == std::string_view::npos) break;
    auto word = encodedWordAt(text, start);
    if (!word) {
      out.append(text.substr(at, start + 2 - at));
      at = start + 2;
      lastWordEnd = std::string_view::npos;
      continue;
    }
    const std::string_view between = text.substr(at, start - at);
    // White space between two encoded words is only there to fold the line.
    if (!(lastWordEnd == at && between.find_first_not_of(kSpace) == std::string_view::npos))
      out.append(between);
    out += word->first;
    at = lastWordEnd = word->second;
  }
  out.append(text.substr(at));
  return out;
}

std::string charsetToCodePage(std::string_view bytes, std::string_view charset) {
  const std::string cs = system::toLowerCp(trimWhite(charset));
  if (cs == "utf-8" || cs == "utf8") return system::fromUtf8(bytes);
  if ((cs == "iso-8859-1" || cs == "latin1" || cs == "us-ascii") &&
      system::activeCodePage() != "windows-1252") {
    std::string utf8;
    for (const char c : bytes) system::appendUtf8(utf8, static_cast<unsigned char>(c));
    return system::fromUtf8(utf8);
  }
  return std::string(bytes);
}

}  // namespace mailvane::engine
