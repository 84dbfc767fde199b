#pragma once
// A hive file on disk: read again whenever it changed (Wine rewrites its hives while it
// runs), written back through a temporary file and a rename. The file is never kept open.

#include "system/RegistryApi.h"
#include "system/WineHive.h"

#include <filesystem>

namespace mailvane::system {

class HiveFile {
 public:
  // Larger files are read only up to this size and never written back.
  static constexpr std::uintmax_t kMaxSize = 256u << 20;

  explicit HiveFile(std::filesystem::path path) : path_(std::move(path)) {}

  const std::filesystem::path& path() const { return path_; }
  // The hive as the file holds it now; an empty hive when the file is missing.
  WineHive& hive();
  // kErrorSuccess, or why the hive cannot be written (then the next hive() reads again).
  RegStatus writable();
  RegStatus save();

 private:
  struct Stamp {
    bool exists = false;
    std::uintmax_t size = 0;
    long long modified = 0;
    std::uintmax_t inode = 0;
    bool operator==(const Stamp&) const = default;
  };
  Stamp currentStamp() const;
  void load();

  std::filesystem::path path_;
  WineHive hive_;
  Stamp stamp_;
  bool loaded_ = false;
  bool cutShort_ = false;
};

}  // namespace mailvane::system
