// The exported entry of a command library: built once per command, with
// MAILVANE_MODULE_COMMAND naming the command's function.
#include "cli/ModuleCommands.h"
#include "cli/ModuleEntries.h"

#ifndef MAILVANE_MODULE_COMMAND
#error "MAILVANE_MODULE_COMMAND must name the command function"
#endif

extern "C" __attribute__((visibility("default"))) int mailvane_command_main(int argc,
                                                                            char** argv) {
  return mailvane::cli::runInModule(mailvane::cli::MAILVANE_MODULE_COMMAND, argc, argv);
}

// Keeps the declaration and the definition in step.
[[maybe_unused]] static constexpr mailvane::cli::CommandEntryFn checkEntry = &mailvane_command_main;
