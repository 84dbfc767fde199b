#include "cli/LazyLibrary.h"

#include <dlfcn.h>

#include <system_error>

#include "system/FileUtil.h"
#include "system/ProgramInfo.h"

namespace mailvane::cli {

#ifndef MAILVANE_LIBDIR_FROM_BINDIR
#define MAILVANE_LIBDIR_FROM_BINDIR "../lib/mailvane"
#endif

std::string LazyLibrary::path() const {
  const std::filesystem::path program = system::programFolder();
  const std::filesystem::path beside = program / fileName_;
  if (system::FileExists(beside)) return beside.string();
  // Where neither exists, errors name the installed place: that is where users look.
  return (program / MAILVANE_LIBDIR_FROM_BINDIR / fileName_).lexically_normal().string();
}

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
