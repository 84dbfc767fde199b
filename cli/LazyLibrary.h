#pragma once
// A private library of the program, loaded on first use. The command line keeps its Qt
// parts (the desktop program, the settings store) in such libraries: loading Qt costs
// several times the work of extracting a typical message, and most runs never need it.
// The library is looked for beside the program (the build tree), then in the installed
// private library folder, found from the program's own folder (<prefix>/lib/mailvane or
// <prefix>/lib/<multiarch>/mailvane for <prefix>/bin/mailvane).

#include <string>

namespace mailvane::cli {

class LazyLibrary {
 public:
  explicit LazyLibrary(std::string fileName) : fileName_(std::move(fileName)) {}

  // True when the library file is in either place (it is not loaded to find out).
  bool present() const;
  // The address of an exported symbol, loading the library first; nullptr when the
  // library or the symbol is missing (error() then says why). The library stays loaded
  // for the rest of the process: Qt does not survive being unloaded.
  void* symbol(const char* name);
  const std::string& error() const { return error_; }

 private:
  std::string path() const;
  std::string fileName_;
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace mailvane::cli
