#include "engine/AttachmentWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <span>
#include <vector>

#include "codecs/Base64.h"
#include "engine/PartPayload.h"
#include "engine/FileNameCleaner.h"
#include "engine/PartNames.h"
#include "engine/TextOps.h"
#include "system/CodePage.h"
#include "system/FileUtil.h"

namespace mailvane::engine {
namespace {

using system::writeAll;

bool writeFile(const std::filesystem::path& path, std::span<const std::string_view> pieces,
               bool followLinks) {
  if (path.empty()) return false;
  int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
  if (!followLinks) flags |= O_NOFOLLOW;
  const int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) return false;
  const bool written = writeAll(fd, pieces);
  return ::close(fd) == 0 && written;
}

}  // namespace

bool AttachmentWriter::writeText(const std::filesystem::path& path, std::string_view text,
                                 bool followLinks) {
  const std::string_view pieces[] = {text, kCrLf};
  return writeFile(path, pieces, followLinks);
}

bool AttachmentWriter::writeText(const std::filesystem::path& path,
                                 std::initializer_list<std::string_view> pieces, bool followLinks) {
  std::vector<std::string_view> all(pieces);
  all.push_back(kCrLf);
  return writeFile(path, all, followLinks);
}

bool AttachmentWriter::writeBytes(const std::filesystem::path& path, std::string_view bytes) {
  return writeFile(path, {&bytes, 1}, false);
}

std::filesystem::path AttachmentWriter::pathFor(std::string_view name) const {
  return folder_ / system::toUtf8(PartNames::fit(name));
}

void AttachmentWriter::writePart(const nlMail& part, bool numbered) const {
  std::filesystem::path path = pathFor(part.Filename);
  if (numbered) path = system::FreeFileName(path);
  if (path.empty()) return;
  if (!part.fromStructure && part.encoding == "Base64") {
    // Decoded in pieces straight into the file: a large part is never held twice.
    Base64().DecodeToFile(part.BaseContent, path);
    return;
  }
  // Decoded data is a file's bytes: written exactly, without a line end added.
  const auto bytes = PartPayload::decode(part);
  if (!bytes) return;
  if (part.fromStructure)
    writeNewFile(path, *bytes);  // like a Base64 part: an existing file is left as it is
  else
    writeBytes(path, *bytes);
}

bool AttachmentWriter::writeNewFile(const std::filesystem::path& path, std::string_view bytes) {
  if (path.empty()) return false;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool written = writeAll(fd, bytes);
  return ::close(fd) == 0 && written;
}

void AttachmentWriter::writeNamed(std::string_view baseName, std::string_view extension,
                                  std::string_view text) const {
  const std::string name = FileNameCleaner::clean(baseName) + std::string(extension);
  const std::filesystem::path path = system::FreeFileName(pathFor(name));
  if (!path.empty()) writeText(path, text, false);
}

}  // namespace mailvane::engine
