#include "engine/TextOps.h"

#include <cmath>

#include "engine/TextFinder.h"

namespace mailvane::engine {

std::string replaceAll(std::string_view text, std::string_view find, std::string_view by) {
  if (find.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  size_t from = 0;
  for (size_t hit = text.find(find); hit != npos; hit = text.find(find, from)) {
    out.append(text, from, hit - from);
    out.append(by);
    from = hit + find.size();
  }
  out.append(text, from, npos);
  return out;
}

std::string_view trimSpaces(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == npos) return {};
  const size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::string_view trimWhite(std::string_view text) {
  constexpr std::string_view kWhite = " \t\r\n";
  const size_t first = text.find_first_not_of(kWhite);
  if (first == npos) return text.substr(text.size());
  return text.substr(first, text.find_last_not_of(kWhite) - first + 1);
}

Line lineAt(std::string_view text, size_t from) {
  if (from >= text.size()) return Line{{}, text.size(), text.size()};
  const size_t end = text.find(kCrLf, from);
  if (end == npos) return Line{text.substr(from), from, text.size()};
  return Line{text.substr(from, end - from), from, end + kCrLf.size()};
}

std::string_view slice(std::string_view text, size_t from, size_t to) {
  if (from >= text.size() || to <= from) return {};
  return text.substr(from, to - from);
}

std::string fieldValue(std::string_view field, std::string_view endMarker,
                       std::string_view text) {
  const std::string joined = std::string(field) + std::string(endMarker);
  return fieldValue(field, endMarker, text, TextFinder::find(text, field),
                    TextFinder::find(text, joined));
}

std::string fieldValue(std::string_view field, std::string_view endMarker, std::string_view text,
                       size_t at, size_t wrapped) {
  size_t start = at == npos ? (field.empty() ? 0 : field.size() - 1) : at + field.size();
  if (wrapped != npos) start = wrapped + field.size() + endMarker.size();
  if (start >= text.size()) return {};
  size_t end = endMarker.empty() ? npos : TextFinder::findNoCase(text, endMarker, start);
  if (end == npos) end = text.size();
  return std::string(trimSpaces(text.substr(start, end - start)));
}

int roundedPercent(long long part, long long whole) {
  if (whole == 0) return 0;
  const double ratio = static_cast<double>(part) / static_cast<double>(whole) * 100.0;
  return static_cast<int>(std::nearbyint(ratio));  // default rounding: halves to even
}

}  // namespace mailvane::engine
