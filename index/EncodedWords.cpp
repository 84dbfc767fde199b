#include "index/EncodedWords.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <vector>

#include "index/TextFold.h"
#include "system/CodePage.h"

namespace mailvane::index {
namespace {

struct EncodedWord {
  size_t begin = 0;  // position of "=?"
  size_t end = 0;    // position after "?="
  std::string charset;
  std::string bytes;  // decoded payload, still in charset
};

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> decodeQ(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '_') {
      out += ' ';
    } else if (text[i] == '=') {
      if (i + 2 >= text.size()) return std::nullopt;
      const int high = hexValue(text[i + 1]);
      const int low = hexValue(text[i + 2]);
      if (high < 0 || low < 0) return std::nullopt;
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

int base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

std::optional<std::string> decodeB(std::string_view text) {
  while (!text.empty() && text.back() == '=') text.remove_suffix(1);
  std::string out;
  uint32_t buffer = 0;
  int bits = 0;
  for (char c : text) {
    const int value = base64Value(c);
    if (value < 0) return std::nullopt;
    buffer = (buffer << 6) | static_cast<uint32_t>(value);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((buffer >> bits) & 0xFF);
    }
  }
  return out;
}

// The encoded word starting at from ("=?" there), or nullopt when it is malformed. Words
// hold no whitespace, which bounds the search for their end.
std::optional<EncodedWord> parseWord(std::string_view text, size_t from) {
  const size_t charsetEnd = text.find('?', from + 2);
  if (charsetEnd == std::string_view::npos || charsetEnd + 2 >= text.size()) return std::nullopt;
  if (text[charsetEnd + 2] != '?') return std::nullopt;
  const size_t payloadBegin = charsetEnd + 3;
  const size_t payloadEnd = text.find("?=", payloadBegin);
  if (payloadEnd == std::string_view::npos) return std::nullopt;
  const std::string_view whole = text.substr(from, payloadEnd + 2 - from);
  if (whole.find_first_of(" \t\r\n") != std::string_view::npos) return std::nullopt;
  std::string_view charset = text.substr(from + 2, charsetEnd - from - 2);
  charset = charset.substr(0, charset.find('*'));  // drop an RFC 2231 language tag
  if (charset.empty()) return std::nullopt;
  const std::string_view payload = text.substr(payloadBegin, payloadEnd - payloadBegin);
  const char encoding = text[charsetEnd + 1];
  std::optional<std::string> bytes;
  if (encoding == 'B' || encoding == 'b') bytes = decodeB(payload);
  if (encoding == 'Q' || encoding == 'q') bytes = decodeQ(payload);
  if (!bytes) return std::nullopt;
  return EncodedWord{from, payloadEnd + 2, std::string(charset), std::move(*bytes)};
}

std::vector<EncodedWord> findWords(std::string_view text) {
  std::vector<EncodedWord> words;
  for (size_t at = text.find("=?"); at != std::string_view::npos; at = text.find("=?", at)) {
    if (auto word = parseWord(text, at)) {
      at = word->end;
      words.push_back(std::move(*word));
    } else {
      at += 2;
    }
  }
  return words;
}

bool onlySpace(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

std::string plainText(std::string_view text) {
  return isValidUtf8(text) ? std::string(text) : system::toUtf8(text);
}

bool sameCharset(std::string_view a, std::string_view b) {
  return system::equalsNoCase(a, b);
}

}  // namespace

bool convertToUtf8(std::string_view bytes, std::string_view charset, std::string& utf8) {
  const std::string from(charset);
  iconv_t cd = iconv_open("UTF-8", from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string input(bytes);
  std::string output(input.size() * 4 + 16, '\0');
  char* in = input.data();
  size_t inLeft = input.size();
  char* out = output.data();
  size_t outLeft = output.size();
  bool ok = true;
  while (inLeft > 0 && ok) {
    if (iconv(cd, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)) {
      if (errno == E2BIG) {
        const size_t used = output.size() - outLeft;
        output.resize(output.size() * 2);
        out = output.data() + used;
        outLeft = output.size() - used;
      } else {
        ok = false;
      }
    }
  }
  if (ok) ok = iconv(cd, nullptr, nullptr, &out, &outLeft) != static_cast<size_t>(-1);
  iconv_close(cd);
  if (!ok) return false;
  output.resize(output.size() - outLeft);
  utf8 = std::move(output);
  return true;
}

std::string decodeEncodedWords(std::string_view header) {
  const std::vector<EncodedWord> words = findWords(header);
  std::string out;
  size_t done = 0;  // everything before this position is in out
  for (size_t i = 0; i < words.size();) {
    out += plainText(header.substr(done, words[i].begin - done));
    // A run of adjacent words in one charset is converted as one byte sequence.
    size_t last = i;
    std::string bytes = words[i].bytes;
    while (last + 1 < words.size() && sameCharset(words[last + 1].charset, words[i].charset) &&
           onlySpace(header.substr(words[last].end, words[last + 1].begin - words[last].end))) {
      bytes += words[++last].bytes;
    }
    std::string utf8;
    if (convertToUtf8(bytes, words[i].charset, utf8)) {
      out += utf8;
    } else {
      out += plainText(header.substr(words[i].begin, words[last].end - words[i].begin));
    }
    done = words[last].end;
    // Whitespace between this run and a following encoded word (other charset) goes too.
    if (last + 1 < words.size() &&
        onlySpace(header.substr(done, words[last + 1].begin - done))) {
      done = words[last + 1].begin;
    }
    i = last + 1;
  }
  out += plainText(header.substr(done));
  return out;
}

}  // namespace mailvane::index
