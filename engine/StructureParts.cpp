#include "engine/StructureParts.h"

#include <algorithm>

#include "engine/FileNameCleaner.h"
#include "engine/TextFinder.h"
#include "engine/TextOps.h"

namespace mailvane::engine {
namespace {

struct TypeExtension {
  std::string_view type;
  std::string_view extension;
};
constexpr TypeExtension kExtensions[] = {
    {"image/png", ".png"}, {"image/jpeg", ".jpg"}, {"image/jpg", ".jpg"},
    {"image/pjpeg", ".jpg"}, {"image/gif", ".gif"}, {"image/bmp", ".bmp"},
    {"image/x-ms-bmp", ".bmp"}, {"image/tiff", ".tif"}, {"image/x-icon", ".ico"},
    {"image/svg+xml", ".svg"}, {"image/webp", ".webp"}, {"audio/mpeg", ".mp3"},
    {"audio/mp3", ".mp3"}, {"audio/wav", ".wav"}, {"audio/x-wav", ".wav"},
    {"audio/midi", ".mid"}, {"audio/mid", ".mid"}, {"audio/x-midi", ".mid"},
    {"video/mp4", ".mp4"}, {"video/mpeg", ".mpg"}, {"video/quicktime", ".mov"},
    {"video/x-msvideo", ".avi"}, {"application/pdf", ".pdf"}, {"application/zip", ".zip"},
    {"application/x-zip-compressed", ".zip"}, {"application/gzip", ".gz"},
    {"application/x-gzip", ".gz"}, {"application/msword", ".doc"},
    {"application/vnd.ms-excel", ".xls"}, {"application/vnd.ms-powerpoint", ".ppt"},
    {"application/vnd.openxmlformats-officedocument.wordprocessingml.document", ".docx"},
    {"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", ".xlsx"},
    {"application/vnd.openxmlformats-officedocument.presentationml.presentation", ".pptx"},
    {"application/vnd.oasis.opendocument.text", ".odt"}, {"application/rtf", ".rtf"},
    {"text/rtf", ".rtf"}, {"application/pgp-signature", ".asc"},
    {"application/pgp-encrypted", ".asc"}, {"application/pgp-keys", ".asc"},
    {"application/pkcs7-signature", ".p7s"}, {"application/x-pkcs7-signature", ".p7s"},
    {"application/pkcs7-mime", ".p7m"}, {"application/x-pkcs7-mime", ".p7m"},
    {"application/ms-tnef", ".dat"}, {"application/vnd.ms-tnef", ".dat"},
    {"application/json", ".json"}, {"application/xml", ".xml"}, {"text/xml", ".xml"},
    {"application/javascript", ".js"}, {"text/css", ".css"}, {"text/html", ".htm"},
    {"text/calendar", ".ics"}, {"text/vcard", ".vcf"}, {"text/x-vcard", ".vcf"},
    {"text/directory", ".vcf"}, {"text/csv", ".csv"}, {"message/rfc822", ".eml"},
};

}  // namespace

StructureParts::StructureParts(const SharedText& stored,
                               std::vector<std::pair<size_t, size_t>> held, PartNames& names)
    : stored_(stored), names_(names) {
  for (const auto& [first, last] : held)
    held_.insert(trimmedRange(stored_.view().substr(first, last - first)));
}

std::vector<std::shared_ptr<nlMail>> StructureParts::collect() {
  MimeStructure::walk(stored_.view(), [this](const MimeLeaf& leaf) { add(leaf); });
  return std::move(records_);
}

std::string_view StructureParts::extensionFor(std::string_view type) {
  for (const auto& entry : kExtensions)
    if (entry.type == type) return entry.extension;
  return type.starts_with("text/") ? ".txt" : ".bin";
}

bool StructureParts::isUuencode(std::string_view encoding) {
  for (std::string_view kind : {"x-uuencode", "uuencode", "x-uue", "uue"})
    if (TextFinder::equalsNoCase(encoding, kind)) return true;
  return false;
}

std::string_view StructureParts::payloadOf(std::string_view body, std::string_view encoding) {
  if (!isUuencode(encoding)) return body;
  // The data lies between the "begin" line and the "end" line; without a "begin" line
  // the whole body is taken as data.
  size_t at = 0;
  size_t from = std::string_view::npos;
  MimeLines lines(body);
  while (at < body.size()) {
    const MimeLine line = lines.at(at);
    if (from == std::string_view::npos) {
      if (line.text.starts_with("begin ")) from = line.next;
    } else if (trimWhite(line.text) == "end") {
      return body.substr(from, std::max(from, line.start) - from);
    }
    at = line.next;
  }
  return from == std::string_view::npos ? body : body.substr(std::min(from, body.size()));
}

std::pair<size_t, size_t> StructureParts::trimmedRange(std::string_view piece) const {
  const std::string_view t = trimWhite(piece);
  const size_t first = static_cast<size_t>(t.data() - stored_.data());
  return {first, first + t.size()};
}

bool StructureParts::containsHeld(std::pair<size_t, size_t> range) const {
  const auto it = held_.lower_bound({range.first, 0});
  return it != held_.end() && it->second <= range.second;
}

void StructureParts::add(const MimeLeaf& leaf) {
  const MimeParams type(leaf.header.contentType);
  const MimeParams disposition(leaf.header.contentDisposition);
  std::optional<std::string> declared = disposition.get("filename", true);
  if (!declared || trimWhite(*declared).empty()) {
    auto name = type.get("name", true);
    if (name && (!declared || !trimWhite(*name).empty())) declared = std::move(name);
  }
  const bool named = declared && !trimWhite(*declared).empty();
  const bool attachment = disposition.mainValue() == "attachment";
  // The message's own text and HTML are its body, not parts.
  if (!named && !attachment && (leaf.type == "text/plain" || leaf.type == "text/html")) return;
  const std::string_view encoding = trimWhite(leaf.header.transferEncoding);
  const std::string_view payload = payloadOf(leaf.body, encoding);
  const auto range = trimmedRange(payload);
  if (range.first == range.second && !declared) return;  // nothing to write
  if (range.first != range.second && held_.count(range)) return;
  // A nameless part that only wraps a uuencoded file the rules took is that file.
  if (!named && containsHeld(trimmedRange(leaf.body))) return;

  auto record = std::make_shared<nlMail>();
  const std::string wanted =
      named ? FileNameCleaner::clean(*declared) : "part" + std::string(extensionFor(leaf.type));
  record->Filename = names_.claim(PartNames::fit(wanted));
  record->OrgFilename = declared.value_or(std::string());
  record->encoding = std::string(encoding);
  record->BaseContent = stored_.slice(payload);
  record->contID = std::string(trimWhite(leaf.header.contentId));
  record->fromStructure = true;
  records_.push_back(std::move(record));
}

}  // namespace mailvane::engine
