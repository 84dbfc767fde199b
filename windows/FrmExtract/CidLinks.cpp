#include "windows/FrmExtract/CidLinks.h"

#include <unordered_map>

namespace mailvane {
namespace {

constexpr std::string_view kCid = "cid:";

}  // namespace

bool CidLinks::endsReference(char c) {
  return std::string_view("\"')<>#?& \t\r\n").find(c) != std::string_view::npos;
}

std::string CidLinks::rewrite(std::string_view html, const std::vector<ListedPart>& parts) {
  std::unordered_map<std::string_view, std::string_view> names;
  for (const ListedPart& part : parts)
    if (!part.contentId.empty()) names.emplace(part.contentId, part.savedName);
  std::string out;
  out.reserve(html.size());
  size_t done = 0;
  for (size_t at = html.find(kCid); at != std::string_view::npos; at = html.find(kCid, at + 1)) {
    const size_t idStart = at + kCid.size();
    size_t idEnd = idStart;
    while (idEnd < html.size() && !endsReference(html[idEnd])) ++idEnd;
    const auto found = names.find(html.substr(idStart, idEnd - idStart));
    if (found == names.end()) continue;
    out.append(html.substr(done, at - done)).append(found->second);
    done = idEnd;
    at = idEnd - 1;
  }
  out.append(html.substr(done));
  return out;
}

}  // namespace mailvane
