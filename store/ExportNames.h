#pragma once
// Names for a store's folders in an export. Store folder names may hold anything
// ("/", "..", dots, control characters, any script, the same name twice); each folder
// gets a distinct, valid name that keeps its place in the tree where it can:
//   Maildir: one Maildir++ folder per store folder, ".Parent.Child", each part in IMAP's
//            modified UTF-7 with ".", "/" and "\" written as "\2e", "\2f", "\5c";
//   mbox:    a file per folder, its children in a folder beside it named with ".sbd"
//            added ("Parent", "Parent.sbd/Child"), "/", "%", control characters, bytes
//            that are not UTF-8 and a leading "." written as "%XX".
// Names that differ only in letter case count as the same; a repeat gets " (2)", " (3)".
// A name too long for the file system is cut; a folder too deep to nest within the
// length limits is put at the top.

#include <string>
#include <string_view>
#include <vector>

#include "store/FolderEntry.h"

namespace mailvane::store {

enum class ExportFormat { Maildir, Mbox };

struct FolderToName {
  FolderId id = 0;
  FolderId parentId = 0;  // 0 at the top
  std::string name;       // UTF-8 (other bytes are kept apart too)
};

// One relative path per folder, in the same order. Parents must come before children.
std::vector<std::string> exportFolderNames(const std::vector<FolderToName>& folders,
                                           ExportFormat format);

// One part of a name, escaped for the format (no length limit, no numbering).
std::string maildirNamePart(std::string_view name);
std::string mboxNamePart(std::string_view name);

}  // namespace mailvane::store
