#include "engine/RuleText.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <string>

#include "engine/TextFinder.h"

namespace mailvane::engine {

bool RuleText::hasBareLf(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  if (n == 0) return false;
  if (p[0] == '\n') return true;
  size_t i = 1;
#ifdef __SSE2__
  // Sixteen bytes at a time: an LF whose byte before is no CR. Every x86-64 has SSE2.
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  for (; i + 16 <= n; i += 16) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i - 1));
    const __m128i bare = _mm_andnot_si128(_mm_cmpeq_epi8(before, cr), _mm_cmpeq_epi8(here, lf));
    if (_mm_movemask_epi8(bare) != 0) return true;
  }
#else
  // Blocks without a branch per byte, so the compiler can vectorise the test.
  constexpr size_t kBlock = 64;
  for (; i + kBlock <= n; i += kBlock) {
    unsigned bare = 0;
    for (size_t k = 0; k < kBlock; ++k)
      bare |= static_cast<unsigned>(p[i + k] == '\n') & static_cast<unsigned>(p[i + k - 1] != '\r');
    if (bare) return true;
  }
#endif
  for (; i < n; ++i)
    if (p[i] == '\n' && p[i - 1] != '\r') return true;
  return false;
}

RuleText RuleText::of(const SharedText& stored, std::string_view dropLinesWith) {
  RuleText out;
  out.stored_ = stored;
  const std::string_view in = stored.view();
  const bool drops =
      !dropLinesWith.empty() && TextFinder::findNoCase(in, dropLinesWith) != std::string_view::npos;
  if (!drops && !hasBareLf(in)) {
    out.text_ = stored;
    return out;
  }
  std::string text;
  text.reserve(in.size() + in.size() / 32);
  bool first = true;
  auto addRun = [&](size_t at, size_t storedAt) {
    if (!out.runs_.empty()) {
      const auto& [lastAt, lastStored] = out.runs_.back();
      if (lastStored + (at - lastAt) == storedAt) return;
    }
    out.runs_.emplace_back(at, storedAt);
  };
  for (size_t from = 0;;) {
    const size_t lf = in.find('\n', from);
    size_t end = lf == std::string_view::npos ? in.size() : lf;
    if (lf != std::string_view::npos && end > from && in[end - 1] == '\r') --end;
    const std::string_view line = in.substr(from, end - from);
    if (!drops || TextFinder::findNoCase(line, dropLinesWith) == std::string_view::npos) {
      if (!first) text += "\r\n";
      first = false;
      addRun(text.size(), from);
      text += line;
    }
    if (lf == std::string_view::npos) break;
    from = lf + 1;
  }
  if (out.runs_.empty()) out.runs_.emplace_back(0, 0);
  out.text_ = SharedText(std::move(text));
  return out;
}

size_t RuleText::toStored(size_t pos) const {
  if (runs_.empty()) return pos;
  auto it = std::upper_bound(runs_.begin(), runs_.end(), pos,
                             [](size_t p, const auto& run) { return p < run.first; });
  if (it != runs_.begin()) --it;
  const size_t stored = it->second + (pos - it->first);
  return std::min(stored, stored_.size());
}

std::pair<size_t, size_t> RuleText::storedRange(std::string_view piece) const {
  const size_t first = static_cast<size_t>(piece.data() - text_.data());
  return {toStored(first), toStored(first + piece.size())};
}

SharedText RuleText::storedSlice(std::string_view piece) const {
  if (runs_.empty()) return stored_.slice(piece);
  const auto [first, last] = storedRange(piece);
  return stored_.slice(stored_.view().substr(first, last > first ? last - first : 0));
}

}  // namespace mailvane::engine
