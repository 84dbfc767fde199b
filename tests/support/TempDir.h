#pragma once
// A fresh folder below the system's temporary folder for one test, removed with the
// object (also when a test left parts of it read-only).

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace mailvane::testing {

class TempDir {
 public:
  explicit TempDir(const std::string& tag = "test") {
    std::string pattern =
        (std::filesystem::temp_directory_path() / ("mailvane-" + tag + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempDir() {
    if (path_.empty()) return;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_directory(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& sub) const { return path_ / sub; }

 private:
  std::filesystem::path path_;
};

}  // namespace mailvane::testing
