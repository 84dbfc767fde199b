#include "cli/LazyLibrary.h"

#include <dlfcn.h>

#include <system_error>

#include "system/FileUtil.h"
#include "system/ProgramInfo.h"

namespace mailvane::cli {

std::string LazyLibrary::path() const { return (system::programFolder() / fileName_).string(); }

bool LazyLibrary::present() const { return system::FileExists(path()); }

void* LazyLibrary::symbol(const char* name) {
  if (!handle_) {
    handle_ = dlopen(path().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
      const char* why = dlerror();
      error_ = why ? why : "cannot load " + path();
      return nullptr;
    }
  }
  void* address = dlsym(handle_, name);
  if (!address) error_ = "no " + std::string(name) + " in " + path();
  return address;
}

}  // namespace mailvane::cli
