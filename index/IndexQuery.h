#pragma once
// The query language the search window speaks to the index: a SELECT over SYSTEMINDEX,
// with or without CONTAINS conditions on the title and the display name. The text is
// parsed here, never handed to SQL; only the words it carries reach the database, and
// then only as bound parameters.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mailvane::index {

enum class IndexField { Title, DisplayName };

// CONTAINS(field, 'pattern'): "?" stands for one character, "*" for any text, and the
// pattern matches anywhere inside the field, without regard to letter case.
struct IndexCondition {
  IndexField field = IndexField::Title;
  std::string pattern;  // the quoted text with its doubled apostrophes made single
};

// No conditions: every indexed file. Otherwise a file matches when any condition does.
struct IndexQuery {
  std::vector<IndexCondition> conditions;
};

// Limits that keep a hostile query text cheap to refuse.
inline constexpr size_t kMaxQueryBytes = 64 * 1024;
inline constexpr size_t kMaxConditions = 32;

// The query, or nullopt with a one-line reason in error.
std::optional<IndexQuery> parseIndexQuery(std::string_view text, std::string& error);

// The query text the search window builds for the words the user typed: every space
// becomes "?", and every apostrophe is doubled as the query language escapes it.
std::string buildIndexQuery(std::string_view words);

// A pattern as an SQL LIKE pattern over case-folded text, with "\" as its escape
// character: stars and question marks become "%" and "_", and the pattern is wrapped in
// "%" so that it matches inside the text.
std::string likePattern(std::string_view pattern);

// The full-text condition that every file the query selects meets: for each condition,
// the literal pieces of its folded pattern (between the wildcards) that are three
// characters or longer, each as a quoted phrase, all of them required, in the column of
// the condition's field ("title" or "name"); the conditions joined with OR. Empty when a
// condition has no such piece, since then no word filter can narrow it.
std::string trigramMatch(const IndexQuery& query);

}  // namespace mailvane::index
