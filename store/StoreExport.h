#pragma once
// Exports store folders with all their messages into a Maildir or a tree of mbox files.
// The store is only read. Nothing in the output is ever replaced: when a folder's output
// exists already the export stops before writing anything, unless it is asked to add to
// it, and then it writes only the messages that are not there yet. A message that cannot
// be read whole is reported by folder and number and the rest go on.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/ExportNames.h"
#include "store/StoreFolder.h"

namespace mailvane::store {

struct ExportOptions {
  ExportFormat format = ExportFormat::Maildir;
  std::filesystem::path output;
  bool intoExisting = false;
  // The store's folder, which the output must not be in; empty to skip the check.
  std::filesystem::path storeRoot;
};

struct ExportedFolder {
  std::string storePath;   // the folder's names from the top, joined by "/" (UTF-8)
  std::string outputPath;  // relative to the output folder
  uint32_t written = 0;
  uint32_t alreadyThere = 0;
  uint32_t failed = 0;
  bool complete = true;  // false when the folder itself could not be made or completed
};

struct ExportReport {
  bool started = false;  // false: stopped before writing anything (see error)
  std::string error;
  std::vector<ExportedFolder> folders;
  bool anyFailed() const;
};

struct ExportCallbacks {
  // After each message: messages handled so far, of total, and the folder's store path.
  std::function<void(uint64_t done, uint64_t total, std::string_view folder)> progress;
  // One line per message or folder that failed, naming it.
  std::function<void(const std::string& problem)> problem;
};

// Folders parent first, as a store lists them.
ExportReport exportFolders(std::vector<StoreFolder> folders, const ExportOptions& options,
                           const ExportCallbacks& callbacks);

}  // namespace mailvane::store
