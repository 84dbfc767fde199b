#include "store/HeaderScan.h"

#include <algorithm>
#include <fstream>

#include "store/GMimeSupport.h"
#include "system/CodePage.h"

namespace mailvane::store {

namespace {

constexpr size_t kFirstHeaderRead = 8 * 1024;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view lineAt(std::string_view block, size_t start) {
  const size_t end = block.find('\n', start);
  std::string_view line = block.substr(start, end == std::string_view::npos ? block.npos : end - start);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

size_t nextLine(std::string_view block, size_t start) {
  const size_t end = block.find('\n', start);
  return end == std::string_view::npos ? block.size() : end + 1;
}

std::string trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

std::string_view headerBlockOf(std::string_view message) {
  const size_t end = std::min(message.find("\n\n"), message.find("\n\r\n"));
  return end == std::string_view::npos ? message : message.substr(0, end + 1);
}

std::optional<std::string> readHeaderBlock(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  // Most header blocks take a few kilobytes: reading in growing pieces up to the blank line
  // keeps a folder of large messages as quick to list as one of small ones.
  std::string block;
  for (size_t want = kFirstHeaderRead;; want = std::min(2 * want, kMaxHeaderScan)) {
    const size_t had = block.size();
    block.resize(want);
    in.read(block.data() + had, static_cast<std::streamsize>(want - had));
    if (in.bad()) return std::nullopt;
    block.resize(had + static_cast<size_t>(in.gcount()));
    const size_t header = headerBlockOf(block).size();
    if (header < block.size() || block.size() < want || want == kMaxHeaderScan) {
      block.resize(header);
      return block;
    }
  }
}

std::string fieldOf(std::string_view block, std::string_view lowerName) {
  for (size_t start = 0; start < block.size(); start = nextLine(block, start)) {
    const std::string_view line = lineAt(block, start);
    if (line.empty()) break;
    if (line.size() <= lowerName.size() || line[lowerName.size()] != ':' ||
        !system::equalsNoCase(line.substr(0, lowerName.size()), lowerName)) {
      continue;
    }
    std::string value = trimmed(line.substr(lowerName.size() + 1));
    for (size_t next = nextLine(block, start); next < block.size(); next = nextLine(block, next)) {
      const std::string_view more = lineAt(block, next);
      if (more.empty() || !isBlank(more.front())) break;
      value += ' ' + trimmed(more);
    }
    return value;
  }
  return {};
}

std::string subjectOf(std::string_view block) {
  return decodeHeaderText(fieldOf(block, "subject"));
}

}  // namespace mailvane::store
