#pragma once
// One folder of a store as the store lists it.

#include <cstdint>
#include <memory>
#include <string>

#include "store/MessageList.h"

namespace mailvane::store {

// Folder identifiers fit in a 16-bit signed integer (callers keep them in one) and are
// never 0 or negative.
using FolderId = std::int16_t;
inline constexpr FolderId kMaxFolderId = INT16_MAX;

struct FolderEntry {
  FolderId id = 0;
  FolderId parentId = 0;  // 0 for a folder at the top
  int depth = 0;          // 0 at the top; one more per listed parent
  std::string name;       // UTF-8
  std::shared_ptr<MessageList> messages;  // null for a folder that holds no messages
};

}  // namespace mailvane::store
