#include "system/FileBytes.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

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

FileBytes::~FileBytes() {
  if (mapped_) ::munmap(data_, capacity_);
  else std::free(data_);
}

bool FileBytes::reserve(size_t capacity) {
  if (capacity <= capacity_) return true;
  if (!data_) {
    // MAP_POPULATE hands over every page at once; the pages come zeroed, so nothing
    // else touches them before the read.
    void* pages = ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (pages != MAP_FAILED) {
      data_ = static_cast<char*>(pages);
      capacity_ = capacity;
      mapped_ = true;
      return true;
    }
  }
  if (mapped_) {  // growing a pipe's buffer: move to the heap
    char* heap = static_cast<char*>(std::malloc(capacity));
    if (!heap) return false;
    std::memcpy(heap, data_, size_);
    ::munmap(data_, capacity_);
    data_ = heap;
    mapped_ = false;
  } else {
    char* grown = static_cast<char*>(std::realloc(data_, capacity));
    if (!grown) return false;
    data_ = grown;
  }
  capacity_ = capacity;
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
