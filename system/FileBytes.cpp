#include "system/FileBytes.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace mailvane::system {

namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Reads up to size bytes into data; the count read, or -1 on an error.
ssize_t readFully(int fd, char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd, data + done, size - done);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    done += static_cast<size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

}  // namespace

FileBytes::~FileBytes() { std::free(data_); }

bool FileBytes::reserve(size_t capacity) {
  if (capacity <= capacity_) return true;
  char* grown = static_cast<char*>(std::realloc(data_, capacity));
  if (!grown) return false;
  data_ = grown;
  capacity_ = capacity;
  // Hand over the buffer's pages in one call instead of one fault each while the read
  // fills them. Pages the process already uses (a buffer the heap gives again, in a run
  // over a whole folder) cost nothing here; a kernel without the call just faults.
  const auto pageSize = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  const uintptr_t first = (reinterpret_cast<uintptr_t>(data_) + pageSize - 1) & ~(pageSize - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data_) + capacity) & ~(pageSize - 1);
  if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
  return true;
}

std::shared_ptr<const FileBytes> FileBytes::read(const std::filesystem::path& path) {
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || S_ISDIR(info.st_mode)) return nullptr;
  std::shared_ptr<FileBytes> bytes(new FileBytes());
  if (S_ISREG(info.st_mode)) {
    const auto size = static_cast<size_t>(info.st_size);
    if (size == 0) return bytes;
    if (!bytes->reserve(size)) return nullptr;
    const ssize_t got = readFully(fd.get(), bytes->data_, size);
    if (got < 0) return nullptr;
    bytes->size_ = static_cast<size_t>(got);
    return bytes;
  }
  // No size to go by: read in growing pieces to the end.
  constexpr size_t kFirstPiece = 64 * 1024;
  for (;;) {
    if (bytes->size_ == bytes->capacity_ &&
        !bytes->reserve(bytes->capacity_ ? bytes->capacity_ * 2 : kFirstPiece))
      return nullptr;
    const ssize_t got = readFully(fd.get(), bytes->data_ + bytes->size_,
                                  bytes->capacity_ - bytes->size_);
    if (got < 0) return nullptr;
    if (got == 0) return bytes;
    bytes->size_ += static_cast<size_t>(got);
  }
}

}  // namespace mailvane::system
