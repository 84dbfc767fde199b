#include "codecs/Base64Decoder.h"

#include <array>

namespace mailvane::detail {

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
// Marks the characters that may be removed ("=", and CR when an LF follows); no value
// of the alphabet has this bit.
constexpr uint8_t kMaybeRemoved = 0x80;

// Characters outside the alphabet decode to 0 and keep their place: stored messages
// with stray spaces must decode to the same bytes they always did.
constexpr std::array<uint8_t, 256> makeTable() {
  std::array<uint8_t, 256> table{};
  for (size_t i = 0; i < kAlphabet.size(); ++i)
    table[static_cast<uint8_t>(kAlphabet[i])] = static_cast<uint8_t>(i);
  table['='] = kMaybeRemoved;
  table['\r'] = kMaybeRemoved;
  return table;
}
constexpr std::array<uint8_t, 256> kTable = makeTable();

inline uint8_t valueOf(uint8_t c) { return kTable[c] & 63; }

// The fast path's tables: each character's value already placed where it lands in the
// three output bytes (byte 0 in bits 0..7), so a group costs four look-ups and three
// ORs. Characters that may be removed set a bit above the output bytes.
constexpr uint32_t kRemovedFlag = 1u << 24;
using PlacedTable = std::array<uint32_t, 256>;

template <typename Place>
constexpr PlacedTable makePlacedTable(Place place) {
  PlacedTable table{};
  for (size_t c = 0; c < 256; ++c)
    table[c] = (kTable[c] & kMaybeRemoved) ? kRemovedFlag : place(uint32_t{kTable[c]});
  return table;
}
constexpr PlacedTable kPlaced0 = makePlacedTable([](uint32_t x) { return x << 2; });
constexpr PlacedTable kPlaced1 =
    makePlacedTable([](uint32_t x) { return (x >> 4) | ((x & 15) << 12); });
constexpr PlacedTable kPlaced2 =
    makePlacedTable([](uint32_t x) { return ((x >> 2) << 8) | ((x & 3) << 22); });
constexpr PlacedTable kPlaced3 = makePlacedTable([](uint32_t x) { return x << 16; });

inline uint32_t placedGroup(const uint8_t* p) {
  return kPlaced0[p[0]] | kPlaced1[p[1]] | kPlaced2[p[2]] | kPlaced3[p[3]];
}

inline char* writePlaced(uint32_t word, char* out) {
  out[0] = static_cast<char>(word);
  out[1] = static_cast<char>(word >> 8);
  out[2] = static_cast<char>(word >> 16);
  return out + 3;
}

}  // namespace

Base64Decoder::Base64Decoder(std::string_view text)
    : in_(reinterpret_cast<const uint8_t*>(text.data())), size_(text.size()) {}

char* Base64Decoder::writeGroup(uint8_t x0, uint8_t x1, uint8_t x2, uint8_t x3, char* out) {
  const uint32_t v = (uint32_t{x0} << 18) | (uint32_t{x1} << 12) | (uint32_t{x2} << 6) | x3;
  out[0] = static_cast<char>(v >> 16);
  out[1] = static_cast<char>(v >> 8);
  out[2] = static_cast<char>(v);
  return out + 3;
}

size_t Base64Decoder::decodeUntil(size_t limit, char* out) {
  if (limit > size_) limit = size_;
  char* const start = out;
  size_t i = pos_;
  while (i < limit) {
    // Fast path: whole groups of four plain characters, the bulk of every line.
    if (pending_ == 0) {
      while (i + 4 <= limit) {
        const uint32_t word = placedGroup(in_ + i);
        if (word & kRemovedFlag) break;
        out = writePlaced(word, out);
        sawData_ = true;
        i += 4;
      }
      if (i >= limit) break;
    }
    i = takeOne(i, out);
  }
  pos_ = i;
  return static_cast<size_t>(out - start);
}

size_t Base64Decoder::takeOne(size_t i, char*& out) {
  const uint8_t c = in_[i];
  if (c == '\r' && i + 1 < size_ && in_[i + 1] == '\n') return i + 2;
  if (c == '=') return i + 1;
  sawData_ = true;
  group_[pending_++] = valueOf(c);
  if (pending_ == 4) {
    out = writeGroup(group_[0], group_[1], group_[2], group_[3], out);
    pending_ = 0;
  }
  return i + 1;
}

// Three characters give two bytes, two give one; a lone character carries too few bits
// for a byte and stands as a single zero byte.
size_t Base64Decoder::finish(char* out) {
  if (pending_ == 1) {
    out[0] = '\0';
    return 1;
  }
  char bytes[3];
  for (size_t k = pending_; k < 4; ++k) group_[k] = 0;
  writeGroup(group_[0], group_[1], group_[2], group_[3], bytes);
  const size_t count = pending_ == 0 ? 0 : pending_ - 1;
  for (size_t k = 0; k < count; ++k) out[k] = bytes[k];
  pending_ = 0;
  return count;
}

}  // namespace mailvane::detail
