#include "system/OutputFolder.h"

#include "system/SettingsKeys.h"
#include "system/SpecialFolders.h"

#include <system_error>

namespace mailvane::system {
namespace {

constexpr std::string_view kEmailsFolder = "Emails";

void createFolder(const std::filesystem::path& folder) {
  std::error_code ec;  // a folder that cannot be made shows up when the first file is written
  std::filesystem::create_directories(folder, ec);
}

}  // namespace

std::filesystem::path prepareOutputFolder(Settings& settings, const std::string& exeName) {
  const std::string stored = settings.value(kEmails, kEmailsDefault);
  if (stored.empty()) {
    const std::filesystem::path base = GetSpecialFolder(kCsidlPersonal) + exeName;
    std::error_code ec;
    if (!std::filesystem::exists(base, ec)) {
      createFolder(base);
      settings.setValue(kEmails, base.string());
    }
    const auto output = base / kEmailsFolder;
    createFolder(output);
    return output;
  }
  // A folder that already names its Emails sub-folder is taken as the user set it.
  if (stored.find(std::string("/").append(kEmailsFolder)) != std::string::npos) return stored;
  const auto output = std::filesystem::path(stored) / kEmailsFolder;
  createFolder(output);
  return output;
}

}  // namespace mailvane::system
