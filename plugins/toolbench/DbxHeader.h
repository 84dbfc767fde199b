#pragma once
// The fixed file header: which kind of .dbx a file is, and where tree 1 starts.

#include <cstdint>
#include <string>

#include "plugins/toolbench/DbxSource.h"

namespace mailvane::dbx {

enum class DbxKind { Messages, Folders, Pop3Uidl, Offline, OldFormat, Unknown, Truncated };

struct DbxHeader {
  DbxKind kind = DbxKind::Unknown;
  uint32_t tree1Count = 0;  // entries the header claims for tree 1
  uint32_t tree1Root = 0;   // offset of the root node of tree 1, 0 = none
};

inline constexpr uint32_t kHeaderSize = 0x24BC;

DbxHeader readHeader(DbxSource& source);

// A sentence for the user saying what the file is, e.g. "a folder list, not a message folder".
std::string describeKind(DbxKind kind);

}  // namespace mailvane::dbx
