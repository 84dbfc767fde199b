#include "cli/MessageFiles.h"

#include <algorithm>
#include <system_error>

#include "system/CodePage.h"
#include "system/FileBytes.h"

namespace mailvane::cli {
namespace fs = std::filesystem;
namespace {

MessageInput fileInput(const fs::path& path) {
  return MessageInput{path.string(), [path] { return readMessageFile(path); }};
}

// A folder's message files, sorted by name so that a walk (and its folder numbers) is
// the same on every run.
std::optional<std::vector<fs::path>> messageFilesIn(const fs::path& folder) {
  std::error_code ec;
  std::vector<fs::path> files;
  fs::directory_iterator it(folder, ec);
  if (ec) return std::nullopt;
  for (const fs::directory_entry& entry : it) {
    std::error_code typeEc;
    if (entry.is_regular_file(typeEc) && isMessageFileName(entry.path()))
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
    return a.filename().string() < b.filename().string();
  });
  return files;
}

}  // namespace

std::optional<SharedText> readMessageFile(const fs::path& path) {
  auto bytes = system::FileBytes::read(path);
  if (!bytes) return std::nullopt;
  const std::string_view view = bytes->view();
  return SharedText(std::move(bytes), view);
}

bool isMessageFileName(const fs::path& path) {
  const std::string ext = system::toLowerCp(path.extension().string());
  return ext == ".eml" || ext == ".nws";
}

std::vector<MessageInput> collectMessageInputs(const std::vector<std::string>& operands,
                                               std::vector<std::string>& problems) {
  std::vector<MessageInput> inputs;
  for (const std::string& operand : operands) {
    const fs::path path(operand);
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::is_directory(status)) {
      auto files = messageFilesIn(path);
      if (!files) {
        problems.push_back(operand + ": cannot list the folder");
        continue;
      }
      for (const fs::path& file : *files) inputs.push_back(fileInput(file));
    } else if (fs::exists(status)) {
      inputs.push_back(fileInput(path));
    } else {
      problems.push_back(operand + ": no such file or folder");
    }
  }
  return inputs;
}

}  // namespace mailvane::cli
