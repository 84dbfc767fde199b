#include "windows/family/MessageCharsets.h"

#include <algorithm>

#include "engine/MimeHeader.h"
#include "system/CodePage.h"

namespace mailvane {
namespace {

constexpr std::string_view kField = "content-type:";

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         system::equalsNoCase(text.substr(0, prefix.size()), prefix);
}

bool isFold(std::string_view line) {
  return !line.empty() && (line.front() == ' ' || line.front() == '\t');
}

std::string trimmed(std::string_view text) {
  constexpr std::string_view kWhite = " \t\r\n";
  const size_t first = text.find_first_not_of(kWhite);
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(kWhite) - first + 1));
}

}  // namespace

std::string MessageCharsets::partCharset(std::string_view message, std::string_view mediaType) {
  const engine::MimeLines lines(message);
  size_t at = 0;
  while (at < message.size()) {
    const engine::MimeLine line = lines.at(at);
    at = line.next;
    if (!startsWithNoCase(line.text, kField)) continue;
    std::string value(line.text.substr(kField.size()));
    while (at < message.size()) {
      const engine::MimeLine fold = lines.at(at);
      if (!isFold(fold.text)) break;
      value += ' ';
      value += fold.text;
      at = fold.next;
    }
    const engine::MimeParams params(value);
    if (params.mainValue() != mediaType) continue;
    // The first part of the type is the one the parser shows; a later one's charset
    // would describe other bytes.
    const auto charset = params.get("charset");
    return charset ? trimmed(*charset) : std::string();
  }
  return {};
}

std::string MessageCharsets::metaCharset(std::string_view html) {
  constexpr std::string_view kName = "charset";
  const size_t body = system::findNoCase(html, "<body");
  const std::string_view head = html.substr(0, body);
  size_t at = 0;
  while ((at = system::findNoCase(head, "<meta", at)) != std::string_view::npos) {
    const size_t end = std::min(head.find('>', at), head.size());
    const std::string_view tag = head.substr(at, end - at);
    at = end;
    // Both forms end in charset=value, in an attribute of its own or inside content="".
    for (size_t name = system::findNoCase(tag, kName); name != std::string_view::npos;
         name = system::findNoCase(tag, kName, name + kName.size())) {
      size_t p = tag.find_first_not_of(" \t\r\n", name + kName.size());
      if (p == std::string_view::npos || tag[p] != '=') continue;
      p = tag.find_first_not_of(" \t\r\n\"'", p + 1);
      if (p == std::string_view::npos) continue;
      const size_t stop = std::min(tag.find_first_of(" \t\r\n\"';/>", p), tag.size());
      if (stop > p) return std::string(tag.substr(p, stop - p));
    }
  }
  return {};
}

}  // namespace mailvane
