#include "codecs/UUencode.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace mailvane {

namespace {

constexpr size_t kLineBytes = 45;
constexpr size_t kLineChars = 60;
constexpr size_t kBlockChars = kLineChars + 1;  // length character + data
constexpr uint8_t kTooHigh = 63;                // table values above this are no data
constexpr char kZeroChar = '`';

// Space and the grave accent both stand for 0; lower-case letters and the codes up to
// 127 map above 63 so that a group holding them can be refused.
constexpr std::array<uint8_t, 256> makeDecodeTable() {
  std::array<uint8_t, 256> table{};
  for (int c = 32; c < 128; ++c) table[static_cast<size_t>(c)] = static_cast<uint8_t>(c - 32);
  table[static_cast<uint8_t>(kZeroChar)] = 0;
  return table;
}
constexpr std::array<uint8_t, 256> kDecode = makeDecodeTable();

inline bool decodeGroup(uint8_t c1, uint8_t c2, uint8_t c3, uint8_t c4, uint8_t* out) {
  // Valid values fit in 6 bits; anything above 63 in the first three places is refused.
  if ((c1 | c2 | c3) > kTooHigh) return false;
  const uint32_t v = (uint32_t{c1} << 18) + (uint32_t{c2} << 12) + (uint32_t{c3} << 6) + c4;
  out[0] = static_cast<uint8_t>(v >> 16);
  out[1] = static_cast<uint8_t>(v >> 8);
  out[2] = static_cast<uint8_t>(v);
  return true;
}

// Decodes `groups` groups of four characters into 3 bytes each. Characters past
// `available` count as 0, which is what the padding of a short line means.
bool decodeGroups(const uint8_t* data, size_t available, size_t groups, uint8_t* out) {
  const size_t whole = std::min(groups, available / 4);
  for (size_t g = 0; g < whole; ++g, data += 4, out += 3) {
    if (!decodeGroup(kDecode[data[0]], kDecode[data[1]], kDecode[data[2]], kDecode[data[3]], out))
      return false;
  }
  if (whole == groups) return true;
  uint8_t rest[4] = {0, 0, 0, 0};
  for (size_t i = 0; i < available - whole * 4; ++i) rest[i] = kDecode[data[i]];
  if (!decodeGroup(rest[0], rest[1], rest[2], rest[3], out)) return false;
  // Only zeros are left after this group.
  std::fill(out + 3, out + (groups - whole) * 3, uint8_t{0});
  return true;
}

inline bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

bool hasLineEnds(std::string_view body) {
  return body.find_first_of("\r\n") != std::string_view::npos;
}

const uint8_t* bytesOf(std::string_view text) { return reinterpret_cast<const uint8_t*>(text.data()); }

// Text without line ends cannot say where a line stops, so it is cut into 61-character
// blocks; only the last block's length character is read.
std::optional<std::string> decodeBlocks(std::string_view text) {
  const size_t fullLines = text.size() / kBlockChars;
  std::string out((fullLines + 1) * kLineBytes, '\0');
  auto* o = reinterpret_cast<uint8_t*>(out.data());
  const uint8_t* in = bytesOf(text);
  for (size_t b = 0; b <= fullLines; ++b) {
    const size_t start = b * kBlockChars + 1;
    const size_t available = start < text.size() ? std::min(kLineChars, text.size() - start) : 0;
    if (!decodeGroups(in + std::min(start, text.size()), available, kLineChars / 4, o + b * kLineBytes))
      return std::nullopt;
  }
  const size_t lastStart = fullLines * kBlockChars;
  const uint8_t lastLength = lastStart < text.size() ? kDecode[in[lastStart]] : 0;
  out.resize(std::min(out.size(), fullLines * kLineBytes + lastLength));
  return out;
}

// Walks the non-empty lines of the body up to the first line whose length character
// says 0, which ends the data.
template <typename Visit>
bool forEachDataLine(std::string_view body, Visit&& visit) {
  size_t pos = 0;
  while (pos < body.size()) {
    size_t end = pos;
    while (end < body.size() && !isLineEnd(body[end])) ++end;
    const std::string_view line = body.substr(pos, end - pos);
    pos = end + 1;
    if (line.empty()) continue;
    const uint8_t length = kDecode[static_cast<uint8_t>(line[0])];
    if (length == 0) break;
    if (!visit(line.substr(1), length)) return false;
  }
  return true;
}

// Each line is decoded by its own length character, so short interior lines and lines
// whose byte count is not a multiple of 3 come out exactly.
std::optional<std::string> decodeLines(std::string_view body) {
  size_t total = 0;
  forEachDataLine(body, [&](std::string_view, size_t length) {
    total += length;
    return true;
  });
  // Room for the whole last group of a line; the string is cut to `total` at the end.
  std::string out(total + 3, '\0');
  auto* o = reinterpret_cast<uint8_t*>(out.data());
  const bool ok = forEachDataLine(body, [&](std::string_view data, size_t length) {
    if (!decodeGroups(bytesOf(data), data.size(), (length + 2) / 3, o)) return false;
    o += length;
    return true;
  });
  if (!ok) return std::nullopt;
  out.resize(total);
  return out;
}

// Value 0 is written as the grave accent rather than a space, which mail transports
// tend to strip from line ends.
constexpr std::array<char, 64> makeEncodeTable() {
  std::array<char, 64> table{};
  table[0] = kZeroChar;
  for (size_t v = 1; v < 64; ++v) table[v] = static_cast<char>(32 + v);
  return table;
}
constexpr std::array<char, 64> kEncode = makeEncodeTable();

inline char* encodeGroup(uint8_t b0, uint8_t b1, uint8_t b2, char* o) {
  const uint32_t v = (uint32_t{b0} << 16) | (uint32_t{b1} << 8) | b2;
  o[0] = kEncode[v >> 18];
  o[1] = kEncode[(v >> 12) & 63];
  o[2] = kEncode[(v >> 6) & 63];
  o[3] = kEncode[v & 63];
  return o + 4;
}

// One line of up to 45 bytes; a last group short of three bytes is padded with NULs,
// which the length character leaves out.
char* encodeLine(const uint8_t* in, size_t bytes, char* o) {
  *o++ = static_cast<char>(32 + bytes);
  size_t i = 0;
  for (; i + 3 <= bytes; i += 3) o = encodeGroup(in[i], in[i + 1], in[i + 2], o);
  if (i < bytes) o = encodeGroup(in[i], i + 1 < bytes ? in[i + 1] : 0, 0, o);
  return o;
}

char* putLineBreak(char* o) {
  *o++ = '\r';
  *o++ = '\n';
  return o;
}

}  // namespace

std::string UUencode::Encode(std::string_view data) const {
  const size_t groups = (data.size() + 2) / 3;
  const size_t lines = (data.size() + kLineBytes - 1) / kLineBytes;
  // A last line that is full after padding, or no data at all, is followed by a line
  // saying 0 bytes.
  const bool zeroLine = groups * 3 % kLineBytes == 0;
  const size_t pieces = lines + (zeroLine ? 1 : 0);
  std::string out(lines + groups * 4 + (zeroLine ? 1 : 0) + 2 * (pieces - 1) + 3, '\0');

  const uint8_t* in = bytesOf(data);
  char* o = out.data();
  for (size_t line = 0; line < lines; ++line) {
    const size_t offset = line * kLineBytes;
    if (line > 0) o = putLineBreak(o);
    o = encodeLine(in + offset, std::min(kLineBytes, data.size() - offset), o);
  }
  if (zeroLine) {
    if (lines > 0) o = putLineBreak(o);
    *o++ = ' ';
  }
  o = putLineBreak(o);
  *o = kZeroChar;
  return out;
}

std::optional<std::string> UUencode::Decode(std::string_view body) const {
  return hasLineEnds(body) ? decodeLines(body) : decodeBlocks(body);
}

}  // namespace mailvane
