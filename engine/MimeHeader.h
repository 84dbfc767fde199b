#pragma once
// One MIME header block as mail readers take it: field names in any capitals, values
// folded over several lines, lines ending in CR LF, LF or CR, and the parameters of
// Content-Type and Content-Disposition with RFC 2231 pieces and RFC 2047 encoded words.

#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace mailvane::engine {

// A line of the text: its bytes without the line end, and where the next line starts.
struct MimeLine {
  std::string_view text;
  size_t start = 0;
  size_t next = 0;  // text size when it is the last line
};

// The lines of a message: they end in LF, with or without a CR before it; a text without
// any LF but with CRs is an old Macintosh file whose lines end in CR.
class MimeLines {
 public:
  explicit MimeLines(std::string_view text);
  std::string_view text() const { return text_; }
  MimeLine at(size_t from) const;
  // The start of the line end that precedes the line at lineStart (lineStart > 0).
  size_t endBefore(size_t lineStart) const;
  // The byte that ends a line: LF, or CR in an old Macintosh text.
  char lineEnd() const { return end_; }

 private:
  std::string_view text_;
  char end_;
};

// The fields one part's header holds; the first of each name counts.
struct MimeHeader {
  std::string_view contentType;
  std::string_view contentDisposition;
  std::string_view transferEncoding;
  std::string_view contentId;
  size_t bodyStart = 0;  // where the body begins: after the blank line, or at the first
                         // line that is not a header line

  // Reads the header block that begins at `from`. stop(line) ends it before a line (a
  // boundary line). A first line "From " (an mbox separator) is passed over when
  // topLevel is set.
  template <typename Stop>
  static MimeHeader read(const MimeLines& lines, size_t from, bool topLevel, Stop stop);

  // Whether a line can belong to a header block (a field, or the fold of one).
  static bool isHeaderLine(std::string_view line);
  void take(std::string_view name, std::string_view value);
};

// The value of a structured field (Content-Type, Content-Disposition).
class MimeParams {
 public:
  explicit MimeParams(std::string_view fieldValue) : value_(fieldValue) {}
  // The value before its first parameter, trimmed and lower-cased ("image/png").
  std::string mainValue() const;
  // A parameter: quotes removed, RFC 2231 pieces joined and decoded (they win over a
  // plain value of the same name), encoded words decoded when `words` is set; text in
  // the code page. nullopt when the field has no such parameter.
  std::optional<std::string> get(std::string_view name, bool words = false) const;

 private:
  std::string_view value_;
};

// RFC 2047 encoded words ("=?utf-8?B?...?=") decoded into code-page text; white space
// between two encoded words goes, everything else stays.
std::string decodeEncodedWords(std::string_view text);
// Bytes of a named charset as code-page text (UTF-8 converted; others kept as bytes).
std::string charsetToCodePage(std::string_view bytes, std::string_view charset);

template <typename Stop>
MimeHeader MimeHeader::read(const MimeLines& lines, size_t from, bool topLevel, Stop stop) {
  const std::string_view text = lines.text();
  MimeHeader header;
  size_t at = from;
  std::string_view name;
  size_t valueStart = 0;
  auto flush = [&](size_t end) {
    if (!name.empty()) header.take(name, text.substr(valueStart, end - valueStart));
    name = {};
  };
  bool first = true;
  while (at < text.size()) {
    const MimeLine line = lines.at(at);
    if (stop(line.text)) break;
    if (line.text.empty()) {
      flush(line.start);
      header.bodyStart = line.next;
      return header;
    }
    if (first && topLevel && line.text.starts_with("From ")) {
      first = false;
      at = line.next;
      continue;
    }
    first = false;
    if (!isHeaderLine(line.text)) break;
    if (line.text.front() != ' ' && line.text.front() != '\t') {
      flush(line.start);
      const size_t colon = line.text.find(':');
      if (colon != std::string_view::npos) {
        name = line.text.substr(0, colon);
        valueStart = line.start + colon + 1;
      }
    }
    at = line.next;
  }
  // No blank line: the header ends where a line is no header line (or at the end).
  flush(at);
  header.bodyStart = at;
  return header;
}

}  // namespace mailvane::engine
