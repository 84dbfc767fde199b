// The exported entry of libmailvane_outputfolder.so: the desktop program's output folder,
// which needs the Qt settings store.
#include <exception>
#include <system_error>

#include "cli/ModuleEntries.h"
#include "system/OutputFolder.h"
#include "system/ProgramInfo.h"
#include "system/QtSettings.h"

extern "C" __attribute__((visibility("default"))) bool mailvane_default_output_folder(
    std::string* folder, std::string* error) {
  using namespace mailvane;
  try {
    system::QtSettings settings;
    const auto path = system::prepareOutputFolder(settings, system::executableName());
    std::error_code ec;
    if (!path.empty() && std::filesystem::is_directory(path, ec)) {
      *folder = path.string();
      return true;
    }
    *error = "cannot create the output folder " + path.string();
  } catch (const std::exception& e) {
    *error = std::string("no output folder (") + e.what() + ")";
  }
  return false;
}

// Keeps the declaration and the definition in step.
[[maybe_unused]] static constexpr mailvane::cli::OutputFolderEntryFn checkEntry =
    &mailvane_default_output_folder;
