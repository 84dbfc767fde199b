#include "system/HiveFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace mailvane::system {
namespace {

bool writeAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Writes text into a new file beside target and renames it over target, so readers see
// either the old hive or the new one, never half of one.
bool replaceFile(const std::filesystem::path& target, const std::string& text) {
  std::string name = ".";
  name += target.filename().string();
  name += ".XXXXXX";
  std::string temp = (target.parent_path() / name).string();
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  struct stat old {};
  const mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
  const bool ok = writeAll(fd, text) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
  if (::close(fd) != 0 || !ok || std::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

HiveFile::Stamp HiveFile::currentStamp() const {
  struct stat st {};
  if (::stat(path_.c_str(), &st) != 0) return {};
  return {true, static_cast<std::uintmax_t>(st.st_size),
          static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec,
          static_cast<std::uintmax_t>(st.st_ino)};
}

void HiveFile::load() {
  stamp_ = currentStamp();
  loaded_ = true;
  cutShort_ = false;
  if (!stamp_.exists) {
    hive_ = WineHive();
    return;
  }
  std::ifstream in(path_, std::ios::binary);
  std::string text;
  text.resize(static_cast<size_t>(std::min(stamp_.size, kMaxSize)));
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  cutShort_ = !in || stamp_.size > kMaxSize;
  hive_ = WineHive::parse(text);
}

WineHive& HiveFile::hive() {
  if (!loaded_ || currentStamp() != stamp_) load();
  return hive_;
}

RegStatus HiveFile::writable() {
  hive();
  if (cutShort_ || !hive_.signatureValid()) return kErrorBadDb;
  std::error_code ec;
  if (!std::filesystem::is_directory(path_.parent_path(), ec)) return kErrorPathNotFound;
  return kErrorSuccess;
}

RegStatus HiveFile::save() {
  std::error_code ec;
  // Write through a link to the file it names, so the link itself survives.
  auto target = path_;
  if (std::filesystem::is_symlink(std::filesystem::symlink_status(path_, ec)))
    target = std::filesystem::weakly_canonical(path_, ec);
  else
    ec.clear();  // a file that does not exist yet is written new
  if (ec || !replaceFile(target, hive_.serialize())) {
    loaded_ = false;
    return kErrorWriteFault;
  }
  stamp_ = currentStamp();
  return kErrorSuccess;
}

}  // namespace mailvane::system
