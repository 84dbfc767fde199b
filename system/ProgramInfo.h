#pragma once
// Facts about the running program that do not need Qt.

#include <filesystem>
#include <string>

namespace mailvane::system {

// File name of the running program without folder ("mailvane"); "mailvane" when the
// system cannot tell.
std::string executableName();
// Folder that holds the running program; empty when the system cannot tell.
std::filesystem::path programFolder();

}  // namespace mailvane::system
