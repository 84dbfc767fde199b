#include "cli/MessageFiles.h"

#include <algorithm>
#include <system_error>

#include "system/CodePage.h"
#include "system/FileBytes.h"

namespace mailvane::cli {
namespace fs = std::filesystem;
namespace {

// Inputs hold plain strings: a folder of 100,000 messages keeps one input each for the
// whole run, and a path object costs several times its text.
MessageInput fileInput(std::string file) {
  std::string label = file;
  return MessageInput{std::move(label), [file = std::move(file)] { return readMessageFile(file); }};
}

// A folder's message files, sorted by name so that a walk (and its folder numbers) is
// the same on every run.
std::optional<std::vector<std::string>> messageFilesIn(const fs::path& folder) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) return std::nullopt;
  std::vector<std::pair<std::string, std::string>> found;  // file name, whole path
  for (const fs::directory_entry& entry : it) {
    std::error_code typeEc;
    if (entry.is_regular_file(typeEc) && isMessageFileName(entry.path()))
      found.emplace_back(entry.path().filename().string(), entry.path().string());
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> files;
  files.reserve(found.size());
  for (auto& [name, path] : found) files.push_back(std::move(path));
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
      for (std::string& file : *files) inputs.push_back(fileInput(std::move(file)));
    } else if (fs::exists(status)) {
      inputs.push_back(fileInput(operand));
    } else {
      problems.push_back(operand + ": no such file or folder");
    }
  }
  return inputs;
}

}  // namespace mailvane::cli
