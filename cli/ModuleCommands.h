#pragma once
// The commands that live in libraries of their own (see ModuleEntries.h). The program
// reaches them through runModuleCommand(); tests link their libraries and call them.

#include <string>
#include <string_view>
#include <vector>

#include "cli/Command.h"
#include "cli/ModuleEntries.h"

namespace mailvane::cli {

int indexCommand(const std::vector<std::string>& args, Streams& io);
int storeCommand(const std::vector<std::string>& args, Streams& io);
int dbxExportCommand(const std::vector<std::string>& args, Streams& io);

// Loads the library file beside the program and runs its command (the entry named
// `entry`) with args; the command writes to this process's stdout and stderr. A library
// that cannot be loaded is reported on io.err (status kExitSomeFailed).
int runModuleCommand(std::string_view library, std::string_view name,
                     const std::vector<std::string>& args, Streams& io,
                     const char* entry = kCommandEntry);

// The library side: runs command with argv[1..] on std::cout and std::cerr.
int runInModule(CommandFn command, int argc, char** argv);

}  // namespace mailvane::cli
