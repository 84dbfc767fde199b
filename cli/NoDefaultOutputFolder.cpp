// Stand-in for builds without the settings store: the user must name a folder.
#include "cli/DefaultOutputFolder.h"

namespace mailvane::cli {

std::optional<std::filesystem::path> defaultOutputFolder(std::string& error) {
  error = "no output folder: give one with -o DIR";
  return std::nullopt;
}

}  // namespace mailvane::cli
