// The exported entries of libmailvane_settingsaccess.so: what the command line needs from
// the Qt settings store, which it does not link itself.
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

extern "C" __attribute__((visibility("default"))) bool mailvane_read_setting(
    const char* key, std::string* value, std::string* error) {
  try {
    mailvane::system::QtSettings settings;
    *value = settings.value(key, "");
    return true;
  } catch (const std::exception& e) {
    *error = std::string("cannot read the settings (") + e.what() + ")";
  }
  return false;
}

// Keep the declarations and the definitions in step.
[[maybe_unused]] static constexpr mailvane::cli::OutputFolderEntryFn checkFolderEntry =
    &mailvane_default_output_folder;
[[maybe_unused]] static constexpr mailvane::cli::ReadSettingEntryFn checkSettingEntry =
    &mailvane_read_setting;
