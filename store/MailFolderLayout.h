#pragma once
// The folders of a Windows Mail or Windows Live Mail store: every folder below the store
// root that holds ".eml" or ".nws" files, or a folder-name file (a folder without
// messages). A folder's display name comes from its wlmail.fol or winmail.fol, else it is
// the directory's name. Folders are listed parent first, siblings sorted by directory name.

#include <filesystem>
#include <vector>

#include "store/FolderEntry.h"

namespace mailvane::store {

// Directory levels below the root that are looked into; deeper folders are not listed.
inline constexpr int kMaxFolderDepth = 32;

std::vector<FolderEntry> readMailFolderStore(const std::filesystem::path& root);

}  // namespace mailvane::store
