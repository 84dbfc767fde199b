#include "engine/UnsentCopy.h"

#include "engine/TextOps.h"

namespace mailvane::engine {

std::string UnsentCopy::build(std::string_view source, std::string_view boundary) {
  const auto tail = storedTail(source, boundary);
  if (!tail) return {};
  std::string out = header(boundary);
  out.reserve(out.size() + tail->size());
  out += *tail;
  return out;
}

std::string UnsentCopy::header(std::string_view boundary) {
  std::string out;
  out += "MIME-Version: 1.0\r\n";
  out += "Content-Type: multipart/related;\r\n";
  out += "       boundary = \"";
  out += boundary;
  out += "\"\r\n";
  out += "       type=\"multipart / alternative\"\r\n";
  out += "X-Cleaner: Mailvane by Tovelund\r\n";
  out += "X-Priority: 3\r\n";
  out += "X -MSMail - Priority: Normal\r\n";
  out += "X-Unsent: 1\r\n";
  out += "X-MIMEOLE: Produced By Microsoft MimeOLE V6.00.2900.2962\r\n";
  out += "\r\n";
  out += "This is a multi-part message in MIME format.\r\n";
  out += "--";
  return out;
}

std::optional<std::string_view> UnsentCopy::storedTail(std::string_view source,
                                                       std::string_view boundary) {
  const size_t first = source.find(boundary);
  if (first == npos) return std::nullopt;
  const size_t second = source.find(boundary, first + boundary.size());
  if (second == npos) return std::nullopt;
  // The stored message is carried to its very last character.
  return source.substr(second);
}

}  // namespace mailvane::engine
