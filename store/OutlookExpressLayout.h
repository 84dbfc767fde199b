#pragma once
// The folders of an Outlook Express store folder: the tree Folders.dbx describes, each
// folder reading its messages from its own .dbx file. Without a readable Folders.dbx,
// every message .dbx file of the folder is listed as a folder of its own.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "plugins/toolbench/DbxFolderList.h"
#include "store/FolderEntry.h"

namespace mailvane::store {

// True when the folder holds .dbx files (Folders.dbx or message folders).
bool isOutlookExpressStore(const std::filesystem::path& root);

std::vector<FolderEntry> readOutlookExpressStore(const std::filesystem::path& root);

// Maps a folder record's .dbx file name to its path; empty when there is no such file.
using DbxFileLookup = std::function<std::filesystem::path(const std::string& fileName)>;

// The folders of a folder list in tree order, each parent before its children, siblings
// in list order. The record the tree hangs from (parent -1) is not listed. Parent loops,
// repeated ids and missing parents never lose or repeat a folder: a folder whose parent
// cannot be reached is listed at the top. Stored ids are kept when they fit a FolderId;
// the others get free ones. At most kMaxFolderId folders are listed.
std::vector<FolderEntry> foldersFromList(const std::vector<dbx::DbxFolder>& records,
                                         const DbxFileLookup& fileFor);

}  // namespace mailvane::store
