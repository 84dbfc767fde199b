#include "engine/TextFinder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "system/CodePage.h"

namespace mailvane::engine {
namespace {

constexpr size_t npos = std::string_view::npos;

// A search gives up jumping to its anchor byte when a run of kDenseMisses false stops
// comes less than kDenseGap bytes apart on average.
constexpr size_t kDenseMisses = 16;
constexpr size_t kDenseGap = 128;
// How much of the text ahead is counted to choose a better anchor.
constexpr size_t kSample = 2048;
// How far a search goes without its first anchor once that proved common.
constexpr size_t kFirstStretch = size_t{16} << 10;

struct Folding {
  std::array<unsigned char, 256> lower{};
  // True for a byte that no other byte lower-cases to the same as: a case-blind search
  // can jump to it with memchr.
  std::array<bool, 256> caseless{};
};

// The code page is chosen once per process, so its folding is worked out once too.
const Folding& folding() {
  static const Folding table = [] {
    Folding f;
    std::array<int, 256> classSize{};
    for (int b = 0; b < 256; ++b) {
      f.lower[static_cast<size_t>(b)] =
          static_cast<unsigned char>(system::toLowerCp(static_cast<char>(b)));
      ++classSize[f.lower[static_cast<size_t>(b)]];
    }
    for (size_t b = 0; b < 256; ++b) f.caseless[b] = classSize[f.lower[b]] == 1;
    return f;
  }();
  return table;
}

// How seldom a byte occurs in stored mail, higher is rarer. Base64 bodies fill most of a
// message, so their alphabet makes poor anchors; spaces fill the text and "<", ">" and
// "=" the HTML and its quoted-printable escapes.
int rarity(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
      c == '/' || c == ' ')
    return 0;
  if (c == '<' || c == '>' || c == '=' || c == '\r' || c == '\n') return 1;
  if (c == '-' || c == '.' || c == ',' || c == '"') return 2;
  return 3;
}

bool sameNoCase(const char* a, const char* b, size_t n) {
  const auto& lower = folding().lower;
  for (size_t i = 0; i < n; ++i)
    if (lower[static_cast<unsigned char>(a[i])] != lower[static_cast<unsigned char>(b[i])])
      return false;
  return true;
}

}  // namespace

size_t TextFinder::anchorIndex(std::string_view needle, bool caseBlind) {
  const auto& caseless = folding().caseless;
  size_t best = npos;
  int bestRarity = -1;
  for (size_t i = 0; i < needle.size(); ++i) {
    const auto c = static_cast<unsigned char>(needle[i]);
    if (caseBlind && !caseless[c]) continue;
    if (rarity(c) > bestRarity) {
      best = i;
      bestRarity = rarity(c);
    }
  }
  return best;
}

template <typename Equal, typename Dense>
size_t TextFinder::findAnchored(std::string_view haystack, std::string_view needle, size_t from,
                                size_t anchor, Equal equal, Dense dense) {
  const char* const base = haystack.data();
  // Candidates start at or after from and leave room for the whole needle.
  const char* at = base + from + anchor;
  const char* const last = base + (haystack.size() - needle.size()) + anchor;
  const char target = needle[anchor];
  const char* windowStart = at;
  size_t misses = 0;
  while (at <= last) {
    const auto* hit = static_cast<const char*>(
        std::memchr(at, static_cast<unsigned char>(target), static_cast<size_t>(last - at) + 1));
    if (!hit) return npos;
    const char* start = hit - anchor;
    if (equal(start, needle.data(), needle.size())) return static_cast<size_t>(start - base);
    at = hit + 1;
    // Measured over windows of stops, so that one dense stretch does not decide alone.
    if (++misses < kDenseMisses) continue;
    if (static_cast<size_t>(at - windowStart) < kDenseMisses * kDenseGap) {
      if (auto found = dense(static_cast<size_t>(at - anchor - base))) return *found;
    }
    misses = 0;
    windowStart = at;
  }
  return npos;
}

size_t TextFinder::find(std::string_view haystack, std::string_view needle, size_t from) {
  if (needle.empty()) return from <= haystack.size() ? from : npos;
  if (needle.size() > haystack.size() || from > haystack.size() - needle.size()) return npos;
  auto equal = [](const char* a, const char* b, size_t n) { return std::memcmp(a, b, n) == 0; };
  // Where the guessed anchor turns out common (a ":" on every line, say), a stretch of
  // the text is searched on the needle byte that is rarest there when it is rare enough,
  // else with memmem (which skips on byte pairs: linear, but slower than memchr on a byte
  // the text lacks). Then the guess gets another chance, as mail changes from text to
  // base64 and back. Each stretch is twice the one before, so a text that stays thick with
  // the guessed byte costs few restarts.
  const size_t guessed = anchorIndex(needle, false);
  const size_t lastStart = haystack.size() - needle.size();
  size_t stretchSize = kFirstStretch;
  for (size_t at = from; at <= lastStart; stretchSize *= 2) {
    size_t denseAt = npos;
    auto stopHere = [&denseAt](size_t rest) -> std::optional<size_t> {
      denseAt = rest;
      return npos;
    };
    const size_t found = findAnchored(haystack, needle, at, guessed, equal, stopHere);
    if (denseAt == npos) return found;
    // Matches that start in [denseAt, denseAt + stretchSize) lie inside the stretch.
    const std::string_view stretch =
        haystack.substr(0, std::min(haystack.size(), denseAt + stretchSize + needle.size() - 1));
    auto skipping = [stretch, needle](size_t rest) -> std::optional<size_t> {
      const char* base = stretch.data();
      const void* hit = ::memmem(base + rest, stretch.size() - rest, needle.data(), needle.size());
      return hit ? static_cast<size_t>(static_cast<const char*>(hit) - base) : npos;
    };
    const std::string_view ahead = stretch.substr(denseAt, kSample);
    std::array<uint32_t, 256> counts{};
    for (char c : ahead) ++counts[static_cast<unsigned char>(c)];
    size_t anchor = 0;
    size_t fewest = npos;
    for (size_t i = 0; i < needle.size(); ++i) {
      const size_t count = counts[static_cast<unsigned char>(needle[i])];
      if (count < fewest) {
        fewest = count;
        anchor = i;
      }
    }
    const size_t inStretch = fewest * kDenseGap >= ahead.size()
                                 ? *skipping(denseAt)
                                 : findAnchored(stretch, needle, denseAt, anchor, equal, skipping);
    if (inStretch != npos) return inStretch;
    at = denseAt + stretchSize;
  }
  return npos;
}

size_t TextFinder::findNoCase(std::string_view haystack, std::string_view needle, size_t from) {
  if (needle.empty()) return from <= haystack.size() ? from : npos;
  if (needle.size() > haystack.size() || from > haystack.size() - needle.size()) return npos;
  const size_t anchor = anchorIndex(needle, true);
  // Case-blind searches have no skipping equivalent; they stay on the anchor throughout.
  auto keepGoing = [](size_t) -> std::optional<size_t> { return std::nullopt; };
  if (anchor != npos) return findAnchored(haystack, needle, from, anchor, sameNoCase, keepGoing);
  // Every byte has a case twin (a needle of letters only): test each position.
  const auto& lower = folding().lower;
  const unsigned char first = lower[static_cast<unsigned char>(needle[0])];
  for (size_t i = from; i + needle.size() <= haystack.size(); ++i)
    if (lower[static_cast<unsigned char>(haystack[i])] == first &&
        sameNoCase(haystack.data() + i, needle.data(), needle.size()))
      return i;
  return npos;
}

std::vector<size_t> TextFinder::findEach(std::string_view haystack,
                                         std::span<const std::string_view> needles, char anchor) {
  std::vector<size_t> found(needles.size(), npos);
  struct Pending {
    size_t index;
    size_t offset;  // of the anchor byte in the needle
  };
  std::vector<Pending> pending;
  for (size_t i = 0; i < needles.size(); ++i) {
    const size_t offset = needles[i].find(anchor);
    if (offset == npos)
      found[i] = find(haystack, needles[i]);
    else
      pending.push_back({i, offset});
  }
  const char* const base = haystack.data();
  size_t at = 0;
  size_t stops = 0;
  while (!pending.empty() && at < haystack.size()) {
    const auto* hit =
        static_cast<const char*>(std::memchr(base + at, anchor, haystack.size() - at));
    if (!hit) break;
    const size_t h = static_cast<size_t>(hit - base);
    std::erase_if(pending, [&](const Pending& p) {
      const std::string_view needle = needles[p.index];
      if (h < p.offset || h - p.offset + needle.size() > haystack.size()) return false;
      if (std::memcmp(base + h - p.offset, needle.data(), needle.size()) != 0) return false;
      found[p.index] = h - p.offset;
      return true;
    });
    at = h + 1;
    // A text thick with the anchor byte is left to the single searches, which adapt.
    if (++stops >= kDenseMisses && at < stops * kDenseGap / 8) {
      for (const Pending& p : pending)
        found[p.index] = find(haystack, needles[p.index], at > p.offset ? at - p.offset : 0);
      break;
    }
  }
  return found;
}

bool TextFinder::equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && sameNoCase(a.data(), b.data(), a.size());
}

}  // namespace mailvane::engine
