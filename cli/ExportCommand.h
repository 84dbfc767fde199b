#pragma once
// The export shared by `mailvane store export` and `mailvane dbx export`: its options,
// the run with a progress line and a problem line per failure, and the closing table.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Command.h"
#include "store/StoreExport.h"

namespace mailvane::cli {

extern const char* const kExportOptionsHelp;

struct ExportArgs {
  store::ExportOptions options;
  std::vector<std::string> operands;
};

// nullopt with a reason when the options are wrong.
std::optional<ExportArgs> parseExportArgs(const std::vector<std::string>& args, std::string& error);

// Exports, prints the table of folders on io.out and returns the exit status.
int runExport(std::vector<store::StoreFolder> folders, const store::ExportOptions& options,
              std::string_view command, Streams& io);

}  // namespace mailvane::cli
