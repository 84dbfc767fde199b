#include "cli/StoredSetting.h"

#include "cli/ModuleEntries.h"

namespace mailvane::cli {

LazyLibrary& settingsLibrary() {
  static LazyLibrary library(kSettingsLibrary);
  return library;
}

bool readStoredSetting(std::string_view key, std::string& value, std::string& error) {
  value.clear();
  LazyLibrary& library = settingsLibrary();
  if (!library.present()) return true;
  auto entry = reinterpret_cast<ReadSettingEntryFn>(library.symbol(kReadSettingEntry));
  if (!entry) {
    error = library.error();
    return false;
  }
  return entry(std::string(key).c_str(), &value, &error);
}

}  // namespace mailvane::cli
