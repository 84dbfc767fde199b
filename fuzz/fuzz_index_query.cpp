// The index's query parser on arbitrary text: it must refuse or accept without crashing,
// always give a reason when it refuses, and read back any typed words exactly as the
// search window writes them into a query.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "index/IndexQuery.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

void parseAsQuery(std::string_view text) {
  std::string error;
  const auto query = mailvane::index::parseIndexQuery(text, error);
  check(query.has_value() == error.empty());
  if (!query) return;
  check(query->conditions.size() <= mailvane::index::kMaxConditions);
  for (const auto& condition : query->conditions) {
    const std::string like = mailvane::index::likePattern(condition.pattern);
    check(like.size() >= 2 && like.front() == '%' && like.back() == '%');
  }
  // The word filter names a column for every condition, or is left out altogether.
  const std::string match = mailvane::index::trigramMatch(*query);
  check(match.empty() || match.rfind("title : (", 0) == 0 || match.rfind("name : (", 0) == 0);
}

void roundTripAsWords(std::string_view words) {
  if (words.empty() || words.size() > 4096) return;
  std::string error;
  const auto query = mailvane::index::parseIndexQuery(mailvane::index::buildIndexQuery(words), error);
  check(query.has_value());
  std::string expected = "*";
  for (char c : words) expected += c == ' ' ? '?' : c;
  expected += '*';
  check(query->conditions.size() == 2);
  check(query->conditions[0].pattern == expected && query->conditions[1].pattern == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  parseAsQuery(text);
  roundTripAsWords(text);
  return 0;
}
