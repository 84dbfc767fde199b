#pragma once
// A mail client's message store: its folders, their messages and the messages' parts.
// Two kinds of store folder are read, told apart by what the folder holds: an Outlook
// Express store (.dbx files, with Folders.dbx naming the folders) and a Windows Mail or
// Windows Live Mail store (one ".eml" or ".nws" file per message, in folders below the
// root). Opening reads only the folder layout; messages are listed when a folder is
// used, and read when they are asked for. Nothing that cannot be read stops the rest:
// it is left out (folders, messages) or comes back empty (sources, parts).

#include <filesystem>
#include <optional>
#include <vector>

#include "store/StoreFolder.h"

namespace mailvane::store {

enum class StoreKind { None, OutlookExpress, MailFolders };

class MessageStore {
 public:
  MessageStore() = default;
  // Never fails: a root that is not a readable folder gives a store without folders.
  static MessageStore open(const std::filesystem::path& root);

  StoreKind kind() const { return kind_; }
  size_t folderCount() const { return folders_.size(); }

  // Folders parent first; nullopt after the last.
  std::optional<StoreFolder> firstFolder();
  std::optional<StoreFolder> nextFolder();
  // Any int is accepted, so an identifier from outside is simply not found.
  std::optional<StoreFolder> folderById(int id) const;

 private:
  StoreKind kind_ = StoreKind::None;
  std::vector<FolderEntry> folders_;
  size_t nextFolder_ = 0;
};

}  // namespace mailvane::store
