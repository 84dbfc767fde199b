#include "store/OutlookExpressLayout.h"

#include <algorithm>
#include <map>
#include <system_error>
#include <unordered_map>

#include "plugins/toolbench/DbxHeader.h"
#include "store/DbxMessageList.h"
#include "system/CodePage.h"

namespace mailvane::store {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFolderList = "folders.dbx";

// The .dbx files of the store folder by lower-cased name: the names in Folders.dbx come
// from Windows, where letter case does not matter.
std::map<std::string, fs::path> dbxFiles(const fs::path& root) {
  std::map<std::string, fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = system::toLowerCp(it->path().filename().string());
    std::error_code typeError;
    if (name.ends_with(".dbx") && it->is_regular_file(typeError)) files.emplace(name, it->path());
  }
  return files;
}

bool isMessageFolder(const fs::path& file) {
  dbx::DbxFileSource source(file);
  return source.isOpen() && dbx::readHeader(source).kind == dbx::DbxKind::Messages;
}

std::string displayName(const dbx::DbxFolder& record) {
  if (!record.name.empty()) return system::toUtf8(record.name);
  if (!record.fileName.empty()) return system::toUtf8(fs::path(record.fileName).stem().string());
  return "Folder " + std::to_string(record.id);
}

// Stored ids that fit and are not taken already are kept; the rest get the lowest free ids.
std::vector<FolderId> assignIds(const std::vector<const dbx::DbxFolder*>& listed) {
  std::vector<FolderId> ids(listed.size(), 0);
  std::vector<bool> taken(size_t(kMaxFolderId) + 1, false);
  for (size_t i = 0; i < listed.size(); ++i) {
    const uint32_t stored = listed[i]->id;
    if (stored >= 1 && stored <= uint32_t(kMaxFolderId) && !taken[stored]) {
      taken[stored] = true;
      ids[i] = static_cast<FolderId>(stored);
    }
  }
  size_t next = 1;
  for (FolderId& id : ids) {
    if (id != 0) continue;
    while (taken[next]) ++next;
    taken[next] = true;
    id = static_cast<FolderId>(next);
  }
  return ids;
}

class TreeOrder {
 public:
  TreeOrder(const std::vector<dbx::DbxFolder>& records, const DbxFileLookup& fileFor)
      : fileFor_(fileFor) {
    select(records);
    link();
    ids_ = assignIds(listed_);
  }

  std::vector<FolderEntry> walk() {
    visited_.assign(listed_.size(), false);
    for (size_t top : tops_) walkFrom(top);
    // Whatever a parent loop kept out of reach is listed at the top.
    for (size_t i = 0; i < listed_.size(); ++i) walkFrom(i);
    return std::move(result_);
  }

 private:
  void select(const std::vector<dbx::DbxFolder>& records) {
    for (const dbx::DbxFolder& record : records) {
      if (record.parentId == -1 || byId_.count(record.id)) continue;
      if (listed_.size() == size_t(kMaxFolderId)) break;
      byId_.emplace(record.id, listed_.size());
      listed_.push_back(&record);
    }
  }

  void link() {
    children_.resize(listed_.size());
    for (size_t i = 0; i < listed_.size(); ++i) {
      const int64_t parent = listed_[i]->parentId;
      const auto it = parent >= 0 ? byId_.find(uint32_t(parent)) : byId_.end();
      if (it != byId_.end() && it->second != i) {
        children_[it->second].push_back(i);
      } else {
        tops_.push_back(i);
      }
    }
  }

  // Depth first without recursion: a hostile list may nest folders very deeply.
  void walkFrom(size_t start) {
    struct Step {
      size_t index;
      int depth;
      FolderId parent;
    };
    std::vector<Step> pending{{start, 0, 0}};
    while (!pending.empty()) {
      const Step step = pending.back();
      pending.pop_back();
      if (visited_[step.index]) continue;
      visited_[step.index] = true;
      result_.push_back(entry(step.index, step.depth, step.parent));
      const auto& children = children_[step.index];
      for (auto it = children.rbegin(); it != children.rend(); ++it) {
        pending.push_back({*it, step.depth + 1, ids_[step.index]});
      }
    }
  }

  FolderEntry entry(size_t index, int depth, FolderId parent) const {
    const dbx::DbxFolder& record = *listed_[index];
    FolderEntry folder;
    folder.id = ids_[index];
    folder.parentId = parent;
    folder.depth = depth;
    folder.name = displayName(record);
    const fs::path file = record.fileName.empty() ? fs::path() : fileFor_(record.fileName);
    if (!file.empty()) folder.messages = std::make_shared<DbxMessageList>(file);
    return folder;
  }

  const DbxFileLookup& fileFor_;
  std::vector<const dbx::DbxFolder*> listed_;
  std::unordered_map<uint32_t, size_t> byId_;
  std::vector<std::vector<size_t>> children_;
  std::vector<size_t> tops_;
  std::vector<FolderId> ids_;
  std::vector<bool> visited_;
  std::vector<FolderEntry> result_;
};

// Every message .dbx of the folder as a top-level folder named after its file.
std::vector<FolderEntry> foldersFromFiles(const std::map<std::string, fs::path>& files) {
  std::vector<FolderEntry> folders;
  for (const auto& [name, path] : files) {
    if (folders.size() == size_t(kMaxFolderId) || !isMessageFolder(path)) continue;
    FolderEntry folder;
    folder.id = static_cast<FolderId>(folders.size() + 1);
    folder.name = path.stem().string();
    folder.messages = std::make_shared<DbxMessageList>(path);
    folders.push_back(std::move(folder));
  }
  return folders;
}

}  // namespace

bool isOutlookExpressStore(const fs::path& root) { return !dbxFiles(root).empty(); }

std::vector<FolderEntry> foldersFromList(const std::vector<dbx::DbxFolder>& records,
                                         const DbxFileLookup& fileFor) {
  return TreeOrder(records, fileFor).walk();
}

std::vector<FolderEntry> readOutlookExpressStore(const fs::path& root) {
  const auto files = dbxFiles(root);
  const auto folderList = files.find(std::string(kFolderList));
  if (folderList != files.end()) {
    const dbx::DbxFolderList list = dbx::readFolderList(folderList->second);
    if (list.ok && !list.folders.empty()) {
      return foldersFromList(list.folders, [&files](const std::string& fileName) {
        const auto it = files.find(system::toLowerCp(fileName));
        return it == files.end() ? fs::path() : it->second;
      });
    }
  }
  return foldersFromFiles(files);
}

}  // namespace mailvane::store
