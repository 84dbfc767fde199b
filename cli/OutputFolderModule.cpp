#include "cli/DefaultOutputFolder.h"

#include <exception>
#include <system_error>

#include "system/OutputFolder.h"
#include "system/ProgramInfo.h"
#include "system/QtSettings.h"

namespace mailvane::cli {

std::optional<std::filesystem::path> defaultOutputFolder(std::string& error) {
  try {
    system::QtSettings settings;
    const auto folder = system::prepareOutputFolder(settings, system::executableName());
    std::error_code ec;
    if (!folder.empty() && std::filesystem::is_directory(folder, ec)) return folder;
    error = "cannot create the output folder " + folder.string() + "; give one with -o DIR";
  } catch (const std::exception& e) {
    error = std::string("no output folder (") + e.what() + "); give one with -o DIR";
  }
  return std::nullopt;
}

}  // namespace mailvane::cli
