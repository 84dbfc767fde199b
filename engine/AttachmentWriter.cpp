#include "engine/AttachmentWriter.h"

#include <system_error>
#include <vector>

#include "codecs/Base64.h"
#include "engine/FileNameCleaner.h"
#include "engine/PartNames.h"
#include "engine/PartPayload.h"
#include "engine/TextOps.h"
#include "system/CodePage.h"
#include "system/FileUtil.h"

namespace mailvane::engine {
namespace {

using system::ExistingFile;
using system::WriteOutcome;

// Where a write lands: a link at the path is followed to its target when asked.
std::filesystem::path target(const std::filesystem::path& path, bool followLinks) {
  std::error_code ec;
  if (!followLinks || !std::filesystem::is_symlink(path, ec)) return path;
  const auto resolved = std::filesystem::weakly_canonical(path, ec);
  return ec ? path : resolved;
}

}  // namespace

WriteOutcome AttachmentWriter::writeText(const std::filesystem::path& path, std::string_view text,
                                         bool followLinks) {
  return writeText(path, {text}, followLinks);
}

WriteOutcome AttachmentWriter::writeText(const std::filesystem::path& path,
                                         std::initializer_list<std::string_view> pieces,
                                         bool followLinks) {
  std::vector<std::string_view> all(pieces);
  all.push_back(kCrLf);
  return system::writeWholeFile(target(path, followLinks), ExistingFile::Replace, all);
}

WriteOutcome AttachmentWriter::writeBytes(const std::filesystem::path& path, std::string_view bytes) {
  return system::writeWholeFile(path, ExistingFile::Replace, {&bytes, 1});
}

WriteOutcome AttachmentWriter::writeNewFile(const std::filesystem::path& path,
                                            std::string_view bytes) {
  return system::writeWholeFile(path, ExistingFile::Keep, {&bytes, 1});
}

std::filesystem::path AttachmentWriter::pathFor(std::string_view name) const {
  return folder_ / system::toUtf8(PartNames::fit(name));
}

WriteOutcome AttachmentWriter::writePart(const nlMail& part, bool numbered) const {
  std::filesystem::path path = pathFor(part.Filename);
  if (numbered) path = system::FreeFileName(path);
  if (path.empty()) return WriteOutcome{false, false, "no free file name for " + system::toUtf8(part.Filename)};
  if (!part.fromStructure && part.encoding == "Base64") {
    // Decoded in pieces straight into the file: a large part is never held twice. An
    // existing file stays as it is.
    const std::string_view payload = part.BaseContent;
    return system::writeWholeFile(path, ExistingFile::Keep, [payload](int fd) {
      return Base64().DecodeToDescriptor(payload, fd);
    });
  }
  // Decoded data is a file's bytes: written exactly, without a line end added. A part
  // that does not decode has nothing to write.
  const auto bytes = PartPayload::decode(part);
  if (!bytes) return WriteOutcome{true, false, {}};
  // Parts the rules record as 7bit or uuencode replace an earlier file of their name;
  // every other part, like a Base64 one, leaves it as it is.
  return part.fromStructure ? writeNewFile(path, *bytes) : writeBytes(path, *bytes);
}

WriteOutcome AttachmentWriter::writeNamed(std::string_view baseName, std::string_view extension,
                                          std::string_view text) const {
  const std::string name = FileNameCleaner::clean(baseName) + std::string(extension);
  const std::filesystem::path path = system::FreeFileName(pathFor(name));
  if (path.empty()) return WriteOutcome{false, false, "no free file name for " + system::toUtf8(name)};
  const std::string_view pieces[] = {text, kCrLf};
  WriteOutcome outcome = system::writeWholeFile(path, ExistingFile::Keep, pieces);
  // The free name was taken between the look and the write, or a dangling link holds it.
  if (outcome.kept) outcome = {false, false, "cannot write " + path.filename().string() + ": the name is taken"};
  return outcome;
}

}  // namespace mailvane::engine
