#include "system/ProgramInfo.h"

#include <system_error>

namespace mailvane::system {
namespace {

std::filesystem::path runningProgram() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : exe;
}

}  // namespace

std::string executableName() {
  const std::string name = runningProgram().filename().string();
  return name.empty() ? "mailvane" : name;
}

std::filesystem::path programFolder() { return runningProgram().parent_path(); }

}  // namespace mailvane::system
