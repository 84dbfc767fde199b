#pragma once
// Temporary folders of message files for the index tests.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace mailvane::testing {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "mailvane-index-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }
  fs::path operator/(const fs::path& sub) const { return path_ / sub; }

 private:
  fs::path path_;
};

inline void writeBytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// A small stored message with the given raw Subject value.
inline void writeMessage(const fs::path& path, const std::string& subject,
                         const std::string& body = "Hello.\r\n") {
  writeBytes(path, "From: ann@example.org\r\nNewsgroups: alt.test\r\nSubject: " + subject +
                       "\r\nMIME-Version: 1.0\r\n\r\n" + body);
}

}  // namespace mailvane::testing
