#include "index/MessageHeader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "system/CodePage.h"

namespace mailvane::index {
namespace {

constexpr size_t kChunk = 8192;

// Position just past the first blank line of text (searching from `from`), or npos.
size_t blankLineEnd(std::string_view text, size_t from) {
  for (size_t at = text.find('\n', from); at != std::string_view::npos;
       at = text.find('\n', at + 1)) {
    size_t next = at + 1;
    if (next < text.size() && text[next] == '\r') ++next;
    if (next < text.size() && text[next] == '\n') return next + 1;
  }
  return std::string_view::npos;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && (isBlank(text.front()) || text.front() == '\r')) text.remove_prefix(1);
  while (!text.empty() && (isBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<std::string> readHeaderBlock(const std::filesystem::path& file, size_t maxBytes) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  std::string block;
  bool failed = false;
  while (block.size() < maxBytes) {
    const size_t want = std::min(kChunk, maxBytes - block.size());
    const size_t old = block.size();
    block.resize(old + want);
    const ssize_t got = ::read(fd, block.data() + old, want);
    if (got < 0 && errno == EINTR) {
      block.resize(old);
      continue;
    }
    if (got <= 0) {
      failed = got < 0;
      block.resize(old);
      break;
    }
    block.resize(old + static_cast<size_t>(got));
    // A blank line may straddle two chunks: look again from just before the new bytes.
    const size_t end = blankLineEnd(block, old >= 3 ? old - 3 : 0);
    if (end != std::string_view::npos) {
      block.resize(end);
      break;
    }
  }
  ::close(fd);
  if (failed) return std::nullopt;
  return block;
}

std::string headerField(std::string_view block, std::string_view name) {
  size_t lineStart = 0;
  while (lineStart < block.size()) {
    size_t lineEnd = block.find('\n', lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = block.size();
    const std::string_view line = block.substr(lineStart, lineEnd - lineStart);
    if (trim(line).empty()) break;  // the end of the header
    if (line.size() > name.size() && line[name.size()] == ':' &&
        system::equalsNoCase(line.substr(0, name.size()), name)) {
      std::string value(trim(line.substr(name.size() + 1)));
      // Continuation lines start with whitespace; unfolding keeps one space between.
      size_t next = lineEnd + 1;
      while (next < block.size() && isBlank(block[next])) {
        size_t end = block.find('\n', next);
        if (end == std::string_view::npos) end = block.size();
        const std::string_view more = trim(block.substr(next, end - next));
        if (!more.empty()) {
          if (!value.empty()) value += ' ';
          value += more;
        }
        next = end + 1;
      }
      return value;
    }
    lineStart = lineEnd + 1;
  }
  return {};
}

}  // namespace mailvane::index
