#pragma once
// The folders a Folders.dbx lists, in the order of its first tree (ascending folder id).

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "plugins/toolbench/DbxSource.h"

namespace mailvane::dbx {

struct DbxFolder {
  uint32_t id = 0;
  int64_t parentId = 0;  // -1 for the root of all folders; 0 for top-level folders
  std::string name;      // 8-bit, as the writing machine's code page had it
  std::string fileName;  // the folder's .dbx file beside Folders.dbx; empty when it has none
};

struct DbxFolderList {
  bool ok = false;
  std::string error;                  // why the file could not be read at all
  std::vector<std::string> problems;  // damage skipped over
  std::vector<DbxFolder> folders;
};

DbxFolderList readFolderList(DbxSource& source);
DbxFolderList readFolderList(const std::filesystem::path& path);

}  // namespace mailvane::dbx
