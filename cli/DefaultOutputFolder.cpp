#include "cli/DefaultOutputFolder.h"

#include "cli/ModuleEntries.h"
#include "cli/StoredSetting.h"

namespace mailvane::cli {

std::optional<std::filesystem::path> defaultOutputFolder(std::string& error) {
  LazyLibrary& library = settingsLibrary();
  if (!library.present()) {
    error = "no output folder: give one with -o DIR";
    return std::nullopt;
  }
  auto entry = reinterpret_cast<OutputFolderEntryFn>(library.symbol(kOutputFolderEntry));
  if (!entry) {
    error = library.error() + "; give an output folder with -o DIR";
    return std::nullopt;
  }
  std::string folder;
  if (!entry(&folder, &error)) {
    error += "; give one with -o DIR";
    return std::nullopt;
  }
  return std::filesystem::path(folder);
}

}  // namespace mailvane::cli
