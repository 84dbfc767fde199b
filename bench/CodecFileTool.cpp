// Decodes or encodes one file into another the way extraction does (whole buffers, a
// new output file), so that whole-process timings compare with other base64 tools.
//   codec_file_tool decode|encode <input> <output>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "codecs/Base64.h"

namespace {

// Maps the input read-only, the cheapest way to have a file's bytes in memory.
class MappedFile {
 public:
  explicit MappedFile(const char* file) {
    const int fd = ::open(file, O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0) return;
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
      size_ = static_cast<size_t>(st.st_size);
      void* p = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
      data_ = p == MAP_FAILED ? nullptr : static_cast<const char*>(p);
    }
    ::close(fd);
  }
  ~MappedFile() {
    if (data_) ::munmap(const_cast<char*>(data_), size_);
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  std::string_view bytes() const { return data_ ? std::string_view(data_, size_) : std::string_view(); }

 private:
  const char* data_ = nullptr;
  size_t size_ = 0;
};

bool writeNew(const char* file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s decode|encode <input> <output>\n", argv[0]);
    return 2;
  }
  const std::string_view mode = argv[1];
  const mailvane::Base64 codec;
  bool ok = false;
  if (mode == "decode") {
    ok = codec.DecodeToFile(MappedFile(argv[2]).bytes(), argv[3]);
  } else if (mode == "encode") {
    ok = writeNew(argv[3], codec.EncodeFromFile(argv[2]));
  }
  if (!ok) std::fprintf(stderr, "%s failed\n", argv[1]);
  return ok ? 0 : 1;
}
