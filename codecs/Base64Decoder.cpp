#include "codecs/Base64Decoder.h"

#include <algorithm>
#include <array>
#include <bit>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#include <sys/platform/x86.h>
#define MAILVANE_BASE64_WIDE 1
#endif

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

// 32 characters of the alphabet at a time, the bulk of every 76-character line. The first
// character outside the alphabet (a line break, "=", a stray one) and all after it are
// left to the byte-wise path, so both paths decode the same way by construction.
constexpr size_t kWideChars = 32;

#ifdef MAILVANE_BASE64_WIDE

// From what the C library found when the process started: probing the processor again
// (CPUID) is slow in a virtual machine, and every process would pay for it.
bool wideAvailable() { return CPU_FEATURE_ACTIVE(AVX2); }

// Classifies each character by its two nibbles (a character is in the alphabet when the
// two looked-up bit sets share no bit), turns it into its 6-bit value by adding an offset
// chosen by its high nibble, then packs four values into three bytes per 32-bit lane.
// Returns how many characters it took: all 32, else the whole groups before the first
// character outside the alphabet (the CR LF that ends a 76-character line, say). Always
// stores 24 bytes; those past the groups taken are written again later.
__attribute__((target("avx2"))) size_t decodeWide(const uint8_t* in, char* out) {
  const __m256i text = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
  const __m256i lowBits = _mm256_setr_epi8(
      0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A,
      0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A);
  const __m256i highBits = _mm256_setr_epi8(
      0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10,
      0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10);
  const __m256i offsets = _mm256_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0,
                                           0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
  // 0x2F serves as the nibble mask (the shuffles ignore bit 5) and as "/", whose offset
  // differs from that of "+" in the same high nibble.
  const __m256i slash = _mm256_set1_epi8(0x2F);
  const __m256i high = _mm256_and_si256(_mm256_srli_epi32(text, 4), slash);
  const __m256i low = _mm256_and_si256(text, slash);
  const __m256i clash =
      _mm256_and_si256(_mm256_shuffle_epi8(lowBits, low), _mm256_shuffle_epi8(highBits, high));
  const auto inAlphabet = static_cast<uint32_t>(
      _mm256_movemask_epi8(_mm256_cmpeq_epi8(clash, _mm256_setzero_si256())));
  const size_t taken = inAlphabet == 0xFFFFFFFFu ? kWideChars : std::countr_one(inAlphabet) & ~size_t{3};
  if (taken == 0) return 0;
  const __m256i isSlash = _mm256_cmpeq_epi8(text, slash);
  const __m256i values =
      _mm256_add_epi8(text, _mm256_shuffle_epi8(offsets, _mm256_add_epi8(isSlash, high)));
  // Pairs of values into 12 bits, pairs of those into 24 bits, big end first.
  const __m256i pairs = _mm256_maddubs_epi16(values, _mm256_set1_epi32(0x01400140));
  const __m256i groups = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00011000));
  const __m256i ordered = _mm256_shuffle_epi8(
      groups, _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1, 2, 1, 0, 6, 5,
                               4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1));
  const __m256i joined =
      _mm256_permutevar8x32_epi32(ordered, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(joined));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), _mm256_extracti128_si256(joined, 1));
  return taken;
}
#else
bool wideAvailable() { return false; }
size_t decodeWide(const uint8_t*, char*) { return 0; }
#endif

}  // namespace

bool Base64Decoder::wideEnabled_ = wideAvailable();

void Base64Decoder::setWideEnabled(bool on) { wideEnabled_ = on && wideAvailable(); }

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
    // Fast paths: blocks of the alphabet, then whole groups of four characters none of
    // which may be removed. Each stretch of groups is cut short so that a stray
    // character sends only its own block down the byte-wise path.
    if (pending_ == 0) {
      const bool wide = wideEnabled_;
      for (;;) {
        while (wide && i + kWideChars <= limit) {
          const size_t taken = decodeWide(in_ + i, out);
          if (taken == 0) break;
          out += taken / 4 * 3;
          i += taken;
          sawData_ = true;
          if (taken < kWideChars) break;
        }
        const size_t stop = wide ? std::min(limit, i + kWideChars) : limit;
        while (i + 4 <= stop) {
          const uint32_t word = placedGroup(in_ + i);
          if (word & kRemovedFlag) break;
          out = writePlaced(word, out);
          sawData_ = true;
          i += 4;
        }
        // Back to the blocks only after a whole stretch without anything to remove.
        if (i + 4 > stop && stop < limit) continue;
        break;
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
