// `mailvane dbx export`: loose .dbx message folders exported like a store, each file a
// folder of its own named after it. It lives beside `mailvane store` (it needs the same
// libraries); `mailvane dbx` hands it on.
#include <ostream>

#include "cli/ExportCommand.h"
#include "cli/ModuleCommands.h"
#include "plugins/toolbench/DbxReader.h"
#include "store/DbxMessageList.h"

namespace mailvane::cli {

namespace fs = std::filesystem;

int dbxExportCommand(const std::vector<std::string>& args, Streams& io) {
  std::string error;
  const auto parsed = parseExportArgs(args, error);
  if (!parsed) return usageError(io, "dbx export", error);
  if (parsed->operands.empty()) return usageError(io, "dbx export", "give one or more .dbx files");
  std::vector<store::StoreFolder> folders;
  bool anyUnreadable = false;
  for (const std::string& file : parsed->operands) {
    // A file that is no message folder at all is reported here, not exported as empty.
    dbx::DbxReader probe;
    if (!probe.open(fs::path(file))) {
      io.err << "mailvane: dbx export: " << file << ": " << probe.error() << '\n';
      anyUnreadable = true;
      continue;
    }
    if (folders.size() == size_t(store::kMaxFolderId)) {
      io.err << "mailvane: dbx export: " << file << ": too many files in one run\n";
      anyUnreadable = true;
      continue;
    }
    store::FolderEntry entry;
    entry.id = static_cast<store::FolderId>(folders.size() + 1);
    entry.name = fs::path(file).stem().string();
    entry.messages = std::make_shared<store::DbxMessageList>(fs::path(file));
    folders.emplace_back(std::move(entry));
  }
  if (folders.empty()) return kExitSomeFailed;
  const int status = runExport(std::move(folders), parsed->options, "dbx export", io);
  return anyUnreadable ? kExitSomeFailed : status;
}

}  // namespace mailvane::cli
