#include "engine/PartScanner.h"


#include "engine/FileNameCleaner.h"
#include "engine/TextFinder.h"
#include "engine/TextOps.h"
#include "system/CodePage.h"

namespace mailvane::engine {
namespace {

constexpr std::string_view kContentType = "Content-Type:";
constexpr std::string_view kRelated = "multipart/related;";
constexpr std::string_view kBase64Header = "Content-Transfer-Encoding: base64";
constexpr std::string_view k7bitHeader = "Content-Transfer-Encoding: 7bit";
constexpr std::string_view kQuotedHeader = "Content-Transfer-Encoding: quoted-printable";
constexpr std::string_view kUuHeader = "Content-Transfer-Encoding: uuencode";
constexpr std::string_view kUuHeaderWide = "Content-Transfer-Encoding:  uuencode";
constexpr std::string_view kXUuHeaderWide = "Content-Transfer-Encoding:  x-uuencode";
constexpr std::string_view kBegin666 = "begin 666";
constexpr std::string_view kBegin644 = "begin 644";
constexpr std::string_view kNameParameter = "name=";

std::vector<std::string_view> cutSegments(std::string_view text) {
  std::vector<std::string_view> segments;
  size_t from = 0;
  for (size_t hit = TextFinder::find(text, kContentType); hit != npos;
       hit = TextFinder::find(text, kContentType, from)) {
    segments.push_back(text.substr(from, hit - from));
    from = hit + kContentType.size();
  }
  segments.push_back(text.substr(from));
  return segments;
}

// Segments of a multipart/related header only repeat what their parts carry.
std::vector<std::string_view> withoutRelated(const std::vector<std::string_view>& all) {
  std::vector<std::string_view> kept;
  for (auto segment : all)
    if (TextFinder::findNoCase(segment, kRelated) == npos) kept.push_back(segment);
  return kept.empty() ? all : kept;
}

bool isBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == npos;
}

bool isEndLine(std::string_view line) {
  while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
  return TextFinder::equalsNoCase(line, "end");
}

std::string_view withoutTrailingCrLf(std::string_view s) {
  if (s.ends_with(kCrLf)) s.remove_suffix(kCrLf.size());
  return s;
}

// The payload from `from` up to the CR LF before the line that stops it, or to the end.
template <typename Stop>
std::string_view payloadUntil(std::string_view segment, size_t from, Stop stops,
                              size_t* stopLine = nullptr) {
  for (size_t at = from; at < segment.size();) {
    const Line line = lineAt(segment, at);
    if (stops(line.text)) {
      if (stopLine) *stopLine = at;
      return slice(segment, from, at >= from + kCrLf.size() ? at - kCrLf.size() : from);
    }
    at = line.next;
  }
  if (stopLine) *stopLine = segment.size();
  return withoutTrailingCrLf(slice(segment, from, segment.size()));
}

size_t findBegin(std::string_view segment, size_t from = 0) {
  for (size_t at = TextFinder::findNoCase(segment, "begin 6", from); at != npos;
       at = TextFinder::findNoCase(segment, "begin 6", at + 1)) {
    const std::string_view mode = segment.substr(at + 7, 2);
    if (mode == "66" || mode == "44") return at;
  }
  return npos;
}

}  // namespace

PartScanner::PartScanner(const SharedText& scanned, const BoundarySet& boundaries,
                         PartNames& names)
    : text_(scanned), boundaries_(boundaries), names_(names) {}

std::vector<std::shared_ptr<nlMail>> PartScanner::scan(const SegmentHook& onSegment) {
  const auto segments = withoutRelated(cutSegments(text_));
  const size_t last = segments.size() - 1;
  for (size_t i = 0; i <= last; ++i) {
    if (onSegment) onSegment(i, last);
    scanSegment(segments[i]);
  }
  return std::move(records_);
}

std::optional<std::string> PartScanner::declaredName(std::string_view segment) {
  for (size_t at = 0; at < segment.size();) {
    const Line line = lineAt(segment, at);
    const size_t name = TextFinder::findNoCase(line.text, kNameParameter);
    if (name != npos) {
      std::string_view value = line.text.substr(name + kNameParameter.size());
      if (value.starts_with('"')) {
        value.remove_prefix(1);
        value = value.substr(0, value.find('"'));
      } else {
        value = value.substr(0, value.find(';'));
      }
      return std::string(trimSpaces(value));
    }
    at = line.next;
  }
  return std::nullopt;
}

void PartScanner::scanSegment(std::string_view segment) {
  const std::optional<std::string> declared = declaredName(segment);
  if (contains(segment, kBase64Header))
    return addEncoded(segment, declared, kBase64Header, "Base64", &PartScanner::base64Payload);
  if (contains(segment, k7bitHeader))
    return addEncoded(segment, declared, k7bitHeader, "7bit", &PartScanner::sevenBitPayload);
  if (contains(segment, kQuotedHeader)) return;
  if (contains(segment, kUuHeaderWide) || contains(segment, kXUuHeaderWide) ||
      findBegin(segment) != npos)
    addUuencode(segment, declared.value_or(std::string()));
}

std::string PartScanner::claimName(std::string_view cleanedName) {
  return names_.claim(PartNames::fit(cleanedName));
}

std::shared_ptr<nlMail> PartScanner::makeRecord(std::string_view segment, size_t encodingHeader,
                                                const std::string& declared,
                                                const char* encoding) {
  auto record = std::make_shared<nlMail>();
  // A part without a name still needs a file, so it gets an invented numeric one.
  record->Filename = claimName(FileNameCleaner::clean(declared));
  record->OrgFilename = declared;
  record->encoding = encoding;
  if (TextFinder::find(segment, "Content-ID: <", encodingHeader) != npos)
    record->contID = fieldValue("Content-ID:", kCrLf, segment);
  records_.push_back(record);
  return record;
}

void PartScanner::addEncoded(std::string_view segment, const std::optional<std::string>& declared,
                             std::string_view encodingHeader, const char* encoding,
                             PayloadFn payload) {
  // A segment without a name line is no part of its own; name="" is a part whose name
  // is invented, like any name that cleans to nothing.
  if (!declared) return;
  const size_t header = segment.find(encodingHeader);
  auto record = makeRecord(segment, header, *declared, encoding);
  const size_t blank = segment.find(kBlankLine, header);
  if (blank != npos)
    record->BaseContent = text_.slice((this->*payload)(segment, blank + kBlankLine.size()));
}

void PartScanner::addUuencode(std::string_view segment, const std::string& declared) {
  const size_t header = segment.find(kUuHeader);
  if (header != npos) {
    auto record = makeRecord(segment, header, declared, "uuencode");
    const size_t blank = segment.find(kBlankLine, header);
    if (blank == npos) return;
    // The body normally opens with its own "begin" line, whatever its mode.
    size_t from = blank + kBlankLine.size();
    const size_t begin = TextFinder::findNoCase(segment, "begin ", from);
    if (begin != npos && (begin == from || segment.substr(begin - 2, 2) == kCrLf))
      from = lineAt(segment, begin).next;
    record->BaseContent = text_.slice(uuencodePayload(segment, from));
    return;
  }
  // The first "begin 666" block, else the first "begin 644" block, comes first; any
  // further blocks of the segment follow in their order, so none is lost. A "begin"
  // that lies inside the data of a block already taken is data, not a new block.
  size_t primary = TextFinder::findNoCase(segment, kBegin666);
  if (primary == npos) primary = TextFinder::findNoCase(segment, kBegin644);
  if (primary == npos) return;
  // Later blocks come in order, so only the primary block and the latest one can hold
  // the next "begin".
  const std::pair<size_t, size_t> first{primary, addUuencodeBlock(segment, primary)};
  std::pair<size_t, size_t> latest{npos, npos};
  auto inside = [](size_t at, const std::pair<size_t, size_t>& block) {
    return block.first != npos && at >= block.first && at < block.second;
  };
  for (size_t at = findBegin(segment); at != npos; at = findBegin(segment, at + 1)) {
    if (at == primary || inside(at, first) || inside(at, latest)) continue;
    latest = {at, addUuencodeBlock(segment, at)};
  }
}

size_t PartScanner::addUuencodeBlock(std::string_view segment, size_t begin) {
  const size_t lineEnd = segment.find(kCrLf, begin + 1);
  const std::string raw(slice(segment, begin + kBegin666.size() + 1,
                              lineEnd == npos ? begin : lineEnd));
  auto record = std::make_shared<nlMail>();
  record->OrgFilename = system::toLowerCp(segment.substr(begin, kBegin666.size())) + " " + raw;
  record->Filename = claimName(FileNameCleaner::clean(raw));
  record->encoding = "uuencode";
  size_t dataEnd = lineEnd == npos ? segment.size() : lineEnd;
  if (lineEnd != npos)
    record->BaseContent = text_.slice(uuencodePayload(segment, lineEnd + kCrLf.size(), &dataEnd));
  records_.push_back(record);
  return dataEnd;
}

std::string_view PartScanner::base64Payload(std::string_view segment, size_t from) const {
  return payloadUntil(segment, from, [this](std::string_view line) {
    // Only an empty line or one that begins with a blank or "-" can stop: the bulk of
    // base64 lines is turned away on their first byte.
    if (!line.empty() && line[0] != ' ' && line[0] != '\t' && line[0] != '-') return false;
    return isBlank(line) || boundaries_.isDelimiterLine(line);
  });
}

std::string_view PartScanner::sevenBitPayload(std::string_view segment, size_t from) const {
  return payloadUntil(segment, from,
                      [this](std::string_view line) { return boundaries_.isDelimiterLine(line); });
}

std::string_view PartScanner::uuencodePayload(std::string_view segment, size_t from,
                                              size_t* stopLine) const {
  return payloadUntil(
      segment, from,
      [this](std::string_view line) { return isEndLine(line) || boundaries_.isDelimiterLine(line); },
      stopLine);
}

}  // namespace mailvane::engine
