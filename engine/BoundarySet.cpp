#include "engine/BoundarySet.h"

#include <algorithm>

#include "engine/TextFinder.h"
#include "engine/TextOps.h"

namespace mailvane::engine {
namespace {

constexpr std::string_view kParameter = "boundary=";

std::string_view parameterValue(std::string_view text, size_t at) {
  if (at < text.size() && text[at] == '"') {
    const size_t close = text.find('"', at + 1);
    return slice(text, at + 1, close == npos ? text.size() : close);
  }
  size_t end = at;
  while (end < text.size() && text[end] != ';' && text[end] != ' ' && text[end] != '\t' &&
         text[end] != '\r' && text[end] != '\n')
    ++end;
  return slice(text, at, end);
}

std::string_view trimTrailingBlanks(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

BoundarySet::BoundarySet(std::string_view message) {
  for (size_t at = TextFinder::findNoCase(message, kParameter); at != npos;
       at = TextFinder::findNoCase(message, kParameter, at + kParameter.size())) {
    const std::string_view value = parameterValue(message, at + kParameter.size());
    if (!value.empty()) boundaries_.emplace(value);
  }
}

bool BoundarySet::isDelimiterLine(std::string_view line) const {
  if (boundaries_.empty() || line.size() < 3 || line[0] != '-' || line[1] != '-') return false;
  std::string_view rest = trimTrailingBlanks(line.substr(2));
  if (boundaries_.count(std::string(rest))) return true;
  if (rest.size() > 2 && rest.ends_with("--")) {
    rest.remove_suffix(2);
    return boundaries_.count(std::string(rest)) != 0;
  }
  return false;
}

size_t BoundarySet::findDelimiterLine(std::string_view text, size_t lineStart,
                                      size_t limit) const {
  if (boundaries_.empty()) return npos;
  limit = std::min(limit, text.size());
  for (size_t at = lineStart; at < limit;) {
    const Line line = lineAt(text.substr(0, limit), at);
    if (isDelimiterLine(line.text)) return at;
    at = line.next;
  }
  return npos;
}

}  // namespace mailvane::engine
