// The second entry of the store command's library: `mailvane dbx export`.
#include "cli/ModuleCommands.h"
#include "cli/ModuleEntries.h"

extern "C" __attribute__((visibility("default"))) int mailvane_dbx_export_main(int argc,
                                                                               char** argv) {
  return mailvane::cli::runInModule(mailvane::cli::dbxExportCommand, argc, argv);
}

// Keeps the declaration and the definition in step.
[[maybe_unused]] static constexpr mailvane::cli::CommandEntryFn checkDbxExportEntry =
    &mailvane_dbx_export_main;
