#include "system/SpecialFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

namespace mailvane::system {
namespace {

std::string withSlash(std::string path) {
  if (path.empty()) return path;
  if (path.back() != '/') path += '/';
  return path;
}

std::string homeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return {};
}

// An XDG base folder from the environment; relative paths are not allowed there.
std::string xdgFolder(const char* variable, std::string_view fallbackBelowHome) {
  if (const char* v = std::getenv(variable); v && *v == '/') return v;
  const std::string home = homeFolder();
  return home.empty() ? std::string() : home + "/" + std::string(fallbackBelowHome);
}

// XDG_DOCUMENTS_DIR of user-dirs.dirs: a quoted path that may start with "$HOME".
std::string documentsFromUserDirs(const std::string& home) {
  const std::string config = xdgFolder("XDG_CONFIG_HOME", ".config");
  if (config.empty()) return {};
  std::ifstream in(config + "/user-dirs.dirs");
  std::string line;
  std::string found;
  while (std::getline(in, line)) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, 18, "XDG_DOCUMENTS_DIR=") != 0) continue;
    std::string value = line.substr(start + 18);
    if (value.size() < 2 || value.front() != '"') continue;
    const size_t close = value.find('"', 1);
    if (close == std::string::npos) continue;
    value = value.substr(1, close - 1);
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    else if (value.empty() || value.front() != '/') continue;
    found = value;  // the last assignment wins, as in a shell
  }
  return found;
}

std::string documentsFolder() {
  const std::string home = homeFolder();
  if (home.empty()) return {};
  std::string documents = documentsFromUserDirs(home);
  // A documents folder set to the home folder itself means "not set up" for XDG.
  if (documents.empty() || withSlash(documents) == withSlash(home)) documents = home + "/Documents";
  return documents;
}

std::string cacheFolder() {
  const std::string base = xdgFolder("XDG_CACHE_HOME", ".cache");
  if (base.empty()) return {};
  const std::string folder = base + "/mailvane";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return std::filesystem::is_directory(folder, ec) ? folder : std::string();
}

}  // namespace

std::string GetSpecialFolder(int csidl) {
  switch (csidl) {
    case kCsidlPersonal: return withSlash(documentsFolder());
    case kCsidlInternetCache: return withSlash(cacheFolder());
    case kCsidlProfile: return withSlash(homeFolder());
    default: return {};
  }
}

}  // namespace mailvane::system
