#include "store/MessageStore.h"

#include <algorithm>
#include <system_error>

#include "store/MailFolderLayout.h"
#include "store/OutlookExpressLayout.h"

namespace mailvane::store {

MessageStore MessageStore::open(const std::filesystem::path& root) {
  MessageStore store;
  std::error_code ec;
  if (!std::filesystem::is_directory(root, ec)) return store;
  if (isOutlookExpressStore(root)) {
    store.kind_ = StoreKind::OutlookExpress;
    store.folders_ = readOutlookExpressStore(root);
  } else {
    store.kind_ = StoreKind::MailFolders;
    store.folders_ = readMailFolderStore(root);
  }
  return store;
}

std::optional<StoreFolder> MessageStore::firstFolder() {
  nextFolder_ = 0;
  return nextFolder();
}

std::optional<StoreFolder> MessageStore::nextFolder() {
  if (nextFolder_ >= folders_.size()) return std::nullopt;
  return StoreFolder(folders_[nextFolder_++]);
}

std::optional<StoreFolder> MessageStore::folderById(int id) const {
  const auto it = std::find_if(folders_.begin(), folders_.end(),
                               [id](const FolderEntry& folder) { return folder.id == id; });
  if (it == folders_.end()) return std::nullopt;
  return StoreFolder(*it);
}

}  // namespace mailvane::store
