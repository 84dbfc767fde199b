#pragma once
// The whole of a file in memory, for readers that look at a message many times over.
// The pages are mapped in one call rather than one fault at a time: a command run once
// per message spends more on first touching a buffer's pages than on parsing it.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string_view>

namespace mailvane::system {

class FileBytes {
 public:
  // The bytes of path as far as its size said when it was opened (a file that grows
  // meanwhile is cut there, one that shrinks ends early); nullptr when it cannot be
  // read. A pipe or device is read to its end.
  static std::shared_ptr<const FileBytes> read(const std::filesystem::path& path);

  ~FileBytes();
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;

  std::string_view view() const { return {data_, size_}; }

 private:
  FileBytes() = default;
  bool reserve(size_t capacity);

  char* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace mailvane::system
