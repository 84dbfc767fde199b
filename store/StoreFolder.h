#pragma once
// One folder of a message store: its identifier, name and messages.

#include <optional>

#include "store/FolderEntry.h"
#include "store/StoreMessage.h"

namespace mailvane::store {

class StoreFolder {
 public:
  explicit StoreFolder(FolderEntry entry) : entry_(std::move(entry)) {}

  FolderId id() const { return entry_.id; }
  // UTF-8.
  const std::string& name() const { return entry_.name; }
  // The folder this one is listed under (0 at the top), and how deep it is listed.
  FolderId parentId() const { return entry_.parentId; }
  int depth() const { return entry_.depth; }

  // Counting lists the folder without reading any message.
  uint32_t messageCount() const;
  // Damage of the folder's messages file that may hide messages; empty when none is known.
  std::vector<std::string> damage() const;
  std::optional<StoreMessage> firstMessage();
  // nullopt after the last message.
  std::optional<StoreMessage> nextMessage();
  std::optional<StoreMessage> messageById(MessageId id) const;

 private:
  FolderEntry entry_;
  uint32_t nextIndex_ = 0;
};

}  // namespace mailvane::store
