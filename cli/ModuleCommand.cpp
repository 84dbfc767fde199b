#include <unistd.h>

#include <iostream>

#include "cli/LazyLibrary.h"
#include "cli/ModuleCommands.h"
#include "cli/ModuleEntries.h"

namespace mailvane::cli {

int runModuleCommand(std::string_view library, std::string_view name,
                     const std::vector<std::string>& args, Streams& io, const char* entryName) {
  LazyLibrary lazy{std::string(library)};
  auto entry = reinterpret_cast<CommandEntryFn>(lazy.symbol(entryName));
  if (!entry) {
    io.err << "mailvane: the " << name << " command is not installed (" << lazy.error() << ")\n";
    return kExitSomeFailed;
  }
  std::string program = "mailvane " + std::string(name);
  std::vector<std::string> copies = args;
  std::vector<char*> argv{program.data()};
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  // The library has its own buffers on the same descriptors: what this side wrote comes first.
  io.out.flush();
  io.err.flush();
  return entry(static_cast<int>(argv.size() - 1), argv.data());
}

int runInModule(CommandFn command, int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  Streams io{std::cout, std::cerr, isatty(STDERR_FILENO) == 1};
  const int status = command(args, io);
  std::cout.flush();
  std::cerr.flush();
  return status;
}

}  // namespace mailvane::cli
