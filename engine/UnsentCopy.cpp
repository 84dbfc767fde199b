#include "engine/UnsentCopy.h"

#include "engine/MimeHeader.h"
#include "engine/TextOps.h"

namespace mailvane::engine {
namespace {

// Written "X -MSMail - Priority" with spaces, the name is no header field name at all: a
// mail reader ends the header there and never sees "X-Unsent: 1" after it (and a plain
// copy's body would begin with the rest of the header).
constexpr std::string_view kTrailer =
    "X-Cleaner: Mailvane by Tovelund\r\n"
    "X-Priority: 3\r\n"
    "X-MSMail-Priority: Normal\r\n"
    "X-Unsent: 1\r\n"
    "X-MIMEOLE: Produced By Microsoft MimeOLE V6.00.2900.2962\r\n"
    "\r\n";

std::string multipartHeader(std::string_view boundary) {
  std::string out;
  out += "MIME-Version: 1.0\r\n";
  out += "Content-Type: multipart/related;\r\n";
  out += "       boundary = \"";
  out += boundary;
  out += "\"\r\n";
  out += "       type=\"multipart / alternative\"\r\n";
  out += kTrailer;
  out += "This is a multi-part message in MIME format.\r\n";
  out += "--";
  return out;
}

}  // namespace

std::optional<UnsentCopy::Pieces> UnsentCopy::pieces(std::string_view source,
                                                      std::string_view boundary) {
  if (boundary.empty()) {
    // One plain part: its own type and encoding lines say how to read the body.
    const MimeLines lines(source);
    const MimeHeader own = MimeHeader::read(lines, 0, true, [](std::string_view) { return false; });
    std::string header = "MIME-Version: 1.0\r\n";
    if (own.contentType.data()) header += "Content-Type: " + std::string(trimWhite(own.contentType)) + "\r\n";
    if (own.transferEncoding.data())
      header += "Content-Transfer-Encoding: " + std::string(trimWhite(own.transferEncoding)) + "\r\n";
    header += kTrailer;
    return Pieces{std::move(header), source.substr(std::min(own.bodyStart, source.size()))};
  }
  const size_t first = source.find(boundary);
  if (first == npos) return std::nullopt;
  const size_t second = source.find(boundary, first + boundary.size());
  if (second == npos) return std::nullopt;
  // The stored message is carried to its very last character.
  return Pieces{multipartHeader(boundary), source.substr(second)};
}

std::string UnsentCopy::build(std::string_view source, std::string_view boundary) {
  auto parts = pieces(source, boundary);
  if (!parts) return {};
  std::string out = std::move(parts->header);
  out += parts->tail;
  return out;
}

}  // namespace mailvane::engine
