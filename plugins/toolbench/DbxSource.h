#pragma once
// Bounded random access to the bytes of a .dbx file. Every read is checked against the
// real size, since the file's own size fields cannot be trusted.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace mailvane::dbx {

class DbxSource {
 public:
  virtual ~DbxSource() = default;
  virtual uint64_t size() const = 0;
  // Reads exactly `length` bytes at `offset` into `out`; false (and `out` untouched) when
  // the range is not wholly inside the file or the read fails.
  virtual bool read(uint64_t offset, size_t length, char* out) = 0;

  bool contains(uint64_t offset, uint64_t length) const {
    return offset <= size() && length <= size() - offset;
  }
};

// A .dbx file on disk, read piece by piece so memory stays small whatever its size.
class DbxFileSource : public DbxSource {
 public:
  explicit DbxFileSource(const std::filesystem::path& path);
  bool isOpen() const { return open_; }
  uint64_t size() const override { return size_; }
  bool read(uint64_t offset, size_t length, char* out) override;

 private:
  static constexpr uint64_t kUnknownPosition = ~uint64_t(0);
  std::ifstream in_;
  uint64_t position_ = kUnknownPosition;
  uint64_t size_ = 0;
  bool open_ = false;
};

// Bytes already in memory (tests and the fuzzer). The bytes must outlive the source.
class DbxMemorySource : public DbxSource {
 public:
  explicit DbxMemorySource(std::string_view bytes) : bytes_(bytes) {}
  uint64_t size() const override { return bytes_.size(); }
  bool read(uint64_t offset, size_t length, char* out) override;

 private:
  std::string_view bytes_;
};

// Little-endian field of a buffer already read and checked to be long enough.
inline uint32_t u32At(const char* bytes, size_t at) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes) + at;
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

inline uint8_t u8At(const char* bytes, size_t at) {
  return static_cast<uint8_t>(bytes[at]);
}

}  // namespace mailvane::dbx
