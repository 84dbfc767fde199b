#include "windows/family/ListSubject.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "engine/RuleText.h"
#include "engine/SrParser.h"

namespace mailvane {
namespace {

constexpr std::string_view kField = "Subject:";
constexpr size_t kFirstRead = 16 * 1024;

// Reads more of the file onto the end of the buffer: false at the end or on an error.
bool readMore(int fd, std::string& buffer, size_t wanted) {
  const size_t had = buffer.size();
  buffer.resize(had + wanted);
  ssize_t n;
  do {
    n = ::read(fd, buffer.data() + had, wanted);
  } while (n < 0 && errno == EINTR);
  buffer.resize(had + (n > 0 ? static_cast<size_t>(n) : 0));
  return n > 0;
}

}  // namespace

size_t ListSubject::headerEnd(std::string_view text, size_t from) {
  for (size_t lf = text.find('\n', from); lf != std::string_view::npos; lf = text.find('\n', lf + 1)) {
    const size_t next = lf + 1;
    if (next < text.size() && text[next] == '\n') return next + 1;
    if (next + 1 < text.size() && text[next] == '\r' && text[next + 1] == '\n') return next + 2;
  }
  return std::string_view::npos;
}

std::optional<std::string> ListSubject::ofText(std::string_view text) {
  if (engine::RuleText::hasBareLf(text))
    return ofText(engine::RuleText::of(SharedText(text)).text().view());
  if (text.find(kField) == std::string_view::npos) return std::nullopt;
  return SrParser::Getit(kField, "\r\n", text);
}

std::optional<std::string> ListSubject::ofFile(const std::filesystem::path& file, std::string& buffer) {
  buffer.clear();
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  // The header block first, in growing pieces.
  size_t end = std::string_view::npos;
  bool more = true;
  for (size_t wanted = kFirstRead; more && end == std::string_view::npos; wanted *= 2) {
    const size_t scanFrom = buffer.size() < 3 ? 0 : buffer.size() - 3;
    more = readMore(fd, buffer, wanted);
    end = headerEnd(buffer, scanFrom);
  }
  const std::string_view header = std::string_view(buffer).substr(0, end);
  if (header.find(kField) == std::string_view::npos) {
    // No subject in the header: the rule looks through the whole text.
    while (more) more = readMore(fd, buffer, buffer.size() + kFirstRead);
    ::close(fd);
    return ofText(buffer);
  }
  ::close(fd);
  return ofText(header);
}

}  // namespace mailvane
