#include "plugins/toolbench/DbxSource.h"

#include <cstring>
#include <system_error>

namespace mailvane::dbx {

DbxFileSource::DbxFileSource(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return;
  const auto bytes = std::filesystem::file_size(path, ec);
  if (ec) return;
  in_.open(path, std::ios::binary);
  size_ = bytes;
  open_ = in_.is_open();
}

bool DbxFileSource::read(uint64_t offset, size_t length, char* out) {
  if (!open_ || !contains(offset, length)) return false;
  // A seek throws away the stream's buffer; blocks and nodes that follow one another are
  // read straight on from it instead.
  if (offset != position_) {
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(offset));
  }
  in_.read(out, static_cast<std::streamsize>(length));
  const bool ok = in_.gcount() == static_cast<std::streamsize>(length);
  position_ = ok ? offset + length : kUnknownPosition;
  return ok;
}

bool DbxMemorySource::read(uint64_t offset, size_t length, char* out) {
  if (!contains(offset, length)) return false;
  if (length > 0) std::memcpy(out, bytes_.data() + offset, length);
  return true;
}

}  // namespace mailvane::dbx
