#include "index/IndexQuery.h"

#include "index/TextFold.h"
#include "system/CodePage.h"

namespace mailvane::index {
namespace {

enum class TokenKind { Word, Number, Text, Symbol, End };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;  // a Text token holds its value with doubled apostrophes undone
  size_t at = 0;     // byte offset in the query, for error messages
};

bool isWordStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isWordPart(char c) { return isWordStart(c) || isDigit(c) || c == '.'; }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Splits the query into tokens; false with a reason on text it cannot read.
bool tokenize(std::string_view text, std::vector<Token>& tokens, std::string& error) {
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (isSpace(c)) {
      ++i;
    } else if (isWordStart(c) || isDigit(c)) {
      const size_t start = i;
      while (i < text.size() && isWordPart(text[i])) ++i;
      const std::string_view word = text.substr(start, i - start);
      const bool number = word.find_first_not_of("0123456789") == std::string_view::npos;
      tokens.push_back({number ? TokenKind::Number : TokenKind::Word, std::string(word), start});
    } else if (c == '\'') {
      const size_t start = i++;
      std::string value;
      for (;; ++i) {
        if (i >= text.size()) {
          error = "unterminated quoted text at offset " + std::to_string(start);
          return false;
        }
        if (text[i] != '\'') {
          value += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '\'') {
          value += '\'';
          ++i;
        } else {
          break;
        }
      }
      ++i;
      tokens.push_back({TokenKind::Text, std::move(value), start});
    } else if (c == '(' || c == ')' || c == ',' || c == '*' || c == ';') {
      tokens.push_back({TokenKind::Symbol, std::string(1, c), i++});
    } else {
      error = "unexpected character at offset " + std::to_string(i);
      return false;
    }
  }
  tokens.push_back({TokenKind::End, {}, text.size()});
  return true;
}

class Parser {
 public:
  Parser(std::vector<Token> tokens, std::string& error)
      : tokens_(std::move(tokens)), error_(error) {}

  std::optional<IndexQuery> query() {
    IndexQuery result;
    if (!keyword("SELECT") || !columns() || !keyword("FROM") || !source()) return std::nullopt;
    if (isKeyword(peek(), "WHERE")) {
      ++pos_;
      if (!disjunction(result, 0)) return std::nullopt;
    }
    if (isSymbol(peek(), ";")) ++pos_;
    if (peek().kind != TokenKind::End) return fail("unexpected text");
    return result;
  }

 private:
  // Parentheses may nest this deep; deeper nesting is refused rather than recursed into.
  static constexpr int kMaxDepth = 16;

  const Token& peek() const { return tokens_[pos_]; }
  static bool isKeyword(const Token& t, std::string_view word) {
    return t.kind == TokenKind::Word && system::equalsNoCase(t.text, word);
  }
  static bool isSymbol(const Token& t, std::string_view symbol) {
    return t.kind == TokenKind::Symbol && t.text == symbol;
  }

  std::nullopt_t fail(std::string_view what) {
    error_ = std::string(what) + " at offset " + std::to_string(peek().at);
    return std::nullopt;
  }

  bool reject(std::string_view what) {
    fail(what);
    return false;
  }

  bool keyword(std::string_view word) {
    if (!isKeyword(peek(), word)) return reject("expected " + std::string(word));
    ++pos_;
    return true;
  }
  bool symbol(std::string_view s) {
    if (!isSymbol(peek(), s)) return reject("expected \"" + std::string(s) + "\"");
    ++pos_;
    return true;
  }

  // The columns asked for are not checked: every row carries the extension, the title and
  // the item URL, which is all the window reads.
  bool columns() {
    if (isSymbol(peek(), "*")) {
      ++pos_;
      return true;
    }
    for (;;) {
      if (peek().kind != TokenKind::Word || isKeyword(peek(), "FROM"))
        return reject("expected a column name");
      ++pos_;
      if (!isSymbol(peek(), ",")) return true;
      ++pos_;
    }
  }

  bool source() {
    if (!isKeyword(peek(), "SYSTEMINDEX")) return reject("expected SYSTEMINDEX");
    ++pos_;
    return true;
  }

  bool disjunction(IndexQuery& query, int depth) {
    if (!condition(query, depth)) return false;
    while (isKeyword(peek(), "OR")) {
      ++pos_;
      if (!condition(query, depth)) return false;
    }
    if (isKeyword(peek(), "AND")) return reject("only OR may join conditions");
    return true;
  }

  bool condition(IndexQuery& query, int depth) {
    if (isSymbol(peek(), "(")) {
      if (depth >= kMaxDepth) return reject("too deeply nested");
      ++pos_;
      return disjunction(query, depth + 1) && symbol(")");
    }
    return contains(query);
  }

  bool contains(IndexQuery& query) {
    if (!keyword("CONTAINS") || !symbol("(")) return false;
    IndexCondition condition;
    if (!field(condition.field) || !symbol(",")) return false;
    if (peek().kind != TokenKind::Text) return reject("expected quoted text");
    condition.pattern = tokens_[pos_++].text;
    // The language of the condition (1044 from the window) changes nothing here.
    if (isSymbol(peek(), ",")) {
      ++pos_;
      if (peek().kind != TokenKind::Number && peek().kind != TokenKind::Text)
        return reject("expected a locale");
      ++pos_;
    }
    if (!symbol(")")) return false;
    if (query.conditions.size() >= kMaxConditions) return reject("too many conditions");
    query.conditions.push_back(std::move(condition));
    return true;
  }

  bool field(IndexField& field) {
    const Token& t = peek();
    if (isKeyword(t, "System.Title")) {
      field = IndexField::Title;
    } else if (isKeyword(t, "System.ItemNameDisplay") || isKeyword(t, "System.FileName") ||
               isKeyword(t, "System.ItemName")) {
      field = IndexField::DisplayName;
    } else {
      return reject("cannot search this column");
    }
    ++pos_;
    return true;
  }

  std::vector<Token> tokens_;
  size_t pos_ = 0;
  std::string& error_;
};

}  // namespace

std::optional<IndexQuery> parseIndexQuery(std::string_view text, std::string& error) {
  error.clear();
  if (text.size() > kMaxQueryBytes) {
    error = "the query is too long";
    return std::nullopt;
  }
  std::vector<Token> tokens;
  if (!tokenize(text, tokens, error)) return std::nullopt;
  return Parser(std::move(tokens), error).query();
}

std::string buildIndexQuery(std::string_view words) {
  if (words.empty())
    return "SELECT System.Title, System.Itemurl,System.FileExtension  FROM SYSTEMINDEX";
  std::string word;
  for (char c : words) {
    if (c == ' ') {
      word += '?';
    } else {
      word += c;
      if (c == '\'') word += '\'';
    }
  }
  return "SELECT System.Title, System.Itemurl, System.FileExtension, System.ItemNameDisplay"
         "  FROM SYSTEMINDEX  WHERE CONTAINS(System.Title,'*" +
         word + "*',1044) or CONTAINS(System.ItemNameDisplay,'*" + word + "*',1044)";
}

std::string likePattern(std::string_view pattern) {
  std::string like = "%";
  for (char c : foldCase(pattern)) {
    switch (c) {
      case '*': like += '%'; break;
      case '?': like += '_'; break;
      case '%': case '_': case '\\': like += '\\'; like += c; break;
      default: like += c;
    }
  }
  like += '%';
  return like;
}

namespace {

size_t characters(std::string_view utf8) {
  size_t count = 0;
  for (char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

// The pieces of one pattern as one required expression, or empty when it has none.
std::string piecesOf(std::string_view pattern) {
  const std::string folded = foldCase(pattern);
  std::string expression;
  size_t start = 0;
  while (start <= folded.size()) {
    size_t end = folded.find_first_of("*?", start);
    if (end == std::string::npos) end = folded.size();
    const std::string_view piece = std::string_view(folded).substr(start, end - start);
    // A trigram needs three characters; a piece that is not valid UTF-8 could be read
    // differently from the stored text, so it is left to LIKE.
    if (characters(piece) >= 3 && isValidUtf8(piece)) {
      if (!expression.empty()) expression += " AND ";
      expression += '"';
      for (char c : piece) {
        expression += c;
        if (c == '"') expression += '"';
      }
      expression += '"';
    }
    start = end + 1;
  }
  return expression;
}

}  // namespace

std::string trigramMatch(const IndexQuery& query) {
  std::string match;
  for (const IndexCondition& condition : query.conditions) {
    const std::string pieces = piecesOf(condition.pattern);
    if (pieces.empty()) return {};
    if (!match.empty()) match += " OR ";
    match += condition.field == IndexField::Title ? "title : (" : "name : (";
    match += pieces + ")";
  }
  return match;
}

}  // namespace mailvane::index
