#include "system/BrowseForFolder.h"

namespace mailvane::system {
namespace {

std::string withoutTrailingSlash(std::string path) {
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string FolderPicker::BrowseForFolder(std::string startFolder, std::string title) {
  if (title.empty()) title = kDefaultTitle;
  try {
    return withoutTrailingSlash(showFolderDialog(withoutTrailingSlash(std::move(startFolder)), title));
  } catch (...) {
    // The callers keep their folder when nothing was chosen, whatever went wrong.
    return {};
  }
}

}  // namespace mailvane::system
