#pragma once
// The output folder that the message windows save below.

#include "system/Settings.h"

#include <filesystem>
#include <string>

namespace mailvane::system {

// Works out the output folder from the setting "Emails": by default the documents folder
// followed by exeName (created, and then stored as "Emails"), always used through its
// "Emails" sub-folder, which is created when missing. A stored folder that already holds
// "/Emails" is used as it is and not created.
std::filesystem::path prepareOutputFolder(Settings& settings, const std::string& exeName);

}  // namespace mailvane::system
