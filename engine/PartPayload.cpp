#include "engine/PartPayload.h"

#include "codecs/Base64.h"
#include "codecs/MimeDecoders.h"
#include "codecs/UUencode.h"
#include "engine/StructureParts.h"
#include "engine/TextFinder.h"

namespace mailvane::engine {

std::optional<std::string> PartPayload::decode(const nlMail& part) {
  const std::string_view payload = part.BaseContent;
  if (!part.fromStructure) {
    if (part.encoding == "Base64") return Base64().Decode(payload);
    if (part.encoding == "uuencode") return UUencode().Decode(payload);
    if (part.encoding == "7bit") return part.BaseContent.str();
    return std::nullopt;
  }
  const std::string_view encoding = part.encoding;
  if (TextFinder::equalsNoCase(encoding, "base64")) return MimeDecoders::Base64Bytes(payload);
  if (TextFinder::equalsNoCase(encoding, "quoted-printable"))
    return MimeDecoders::QuotedPrintableBytes(payload);
  if (StructureParts::isUuencode(encoding)) {
    // A body that does not decode is kept as it stands rather than lost.
    if (auto bytes = UUencode().Decode(payload)) return bytes;
    return part.BaseContent.str();
  }
  // 7bit, 8bit, binary, no transfer encoding, or one nobody knows: the body as stored.
  return part.BaseContent.str();
}

}  // namespace mailvane::engine
