// The exported entry of libmailvane_indexsettings.so: the "IndexRoots" setting from the
// Qt settings store, for the command line, which does not link Qt itself.
#include <exception>
#include <string>

#include "index/IndexLocations.h"
#include "index/IndexSettingsEntry.h"
#include "system/QtSettings.h"

extern "C" __attribute__((visibility("default"))) bool mailvane_index_roots_setting(
    std::string* value, std::string* error) {
  try {
    mailvane::system::QtSettings settings;
    *value = settings.value(mailvane::index::kIndexRoots, "");
    return true;
  } catch (const std::exception& e) {
    *error = std::string("cannot read the settings (") + e.what() + ")";
  }
  return false;
}

// Keeps the declaration and the definition in step.
[[maybe_unused]] static constexpr mailvane::index::IndexRootsEntryFn checkEntry =
    &mailvane_index_roots_setting;
