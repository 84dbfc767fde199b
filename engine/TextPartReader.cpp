#include "engine/TextPartReader.h"

#include "codecs/Base64.h"
#include "engine/TextFinder.h"
#include "engine/TextOps.h"

namespace mailvane::engine {
namespace {

constexpr std::string_view kTextPlain = "Content-Type: text/plain;";
constexpr std::string_view kEncoding = "Content-Transfer-Encoding:";

}  // namespace

std::optional<SharedText> TextPartReader::read(const QuotedDecoder& deQuote) const {
  const size_t part = TextFinder::find(message_, kTextPlain);
  if (part == npos) {
    const size_t blank = message_.find(kBlankLine);
    if (blank == npos) return SharedText();
    return owner_.slice(message_.substr(blank + kBlankLine.size()));
  }
  // The part's own header ends at its first blank line; an encoding header further on
  // belongs to another part.
  const size_t headerEnd = message_.find(kBlankLine, part);
  if (headerEnd == npos) return std::nullopt;
  const size_t encoding = TextFinder::find(message_.substr(0, headerEnd), kEncoding, part);
  const bool base64 =
      encoding != npos &&
      TextFinder::equalsNoCase(
          trimSpaces(lineAt(message_, encoding + kEncoding.size()).text).substr(0, 6), "base64");

  const size_t bodyStart = headerEnd + kBlankLine.size();
  size_t bodyEnd = boundaries_.findDelimiterLine(message_, bodyStart, message_.size());
  if (bodyEnd == npos) bodyEnd = message_.size();
  const std::string_view body = slice(message_, bodyStart, bodyEnd);
  if (base64) return SharedText(Base64().Decode(body).value_or(std::string()));
  return SharedText(deQuote(body));
}

}  // namespace mailvane::engine
