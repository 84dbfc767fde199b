#include "plugins/toolbench/DbxFolderList.h"

#include "plugins/toolbench/DbxHeader.h"
#include "plugins/toolbench/DbxRecord.h"
#include "plugins/toolbench/DbxTree.h"

namespace mailvane::dbx {

namespace {

constexpr uint8_t kIdProperty = 0x00;
constexpr uint8_t kParentProperty = 0x01;
constexpr uint8_t kNameProperty = 0x02;
constexpr uint8_t kFileProperty = 0x03;

DbxFolder folderOf(const DbxRecord& record) {
  DbxFolder folder;
  // Absent properties mean 0: the root has no id and top-level folders no parent.
  folder.id = record.integer(kIdProperty).value_or(0);
  folder.parentId = static_cast<int32_t>(record.integer(kParentProperty).value_or(0));
  folder.name = record.bytes(kNameProperty).value_or(std::string());
  folder.fileName = record.bytes(kFileProperty).value_or(std::string());
  return folder;
}

}  // namespace

DbxFolderList readFolderList(DbxSource& source) {
  DbxFolderList list;
  const DbxHeader header = readHeader(source);
  if (header.kind != DbxKind::Folders) {
    list.error = "the file is " + (header.kind == DbxKind::Messages
                                       ? std::string("a message folder, not a folder list")
                                       : describeKind(header.kind));
    return list;
  }
  DbxTree tree;
  tree.load(source, header.tree1Root, header.tree1Count, list.problems);
  for (uint32_t i = 0; i < tree.size(); ++i) {
    std::string error;
    const auto offset = tree.valueAt(source, i);
    const auto record = offset ? DbxRecord::read(source, *offset, error) : std::nullopt;
    if (record) {
      list.folders.push_back(folderOf(*record));
    } else if (!error.empty()) {
      list.problems.push_back(error);
    }
  }
  list.ok = true;
  return list;
}

DbxFolderList readFolderList(const std::filesystem::path& path) {
  DbxFileSource source(path);
  if (!source.isOpen()) {
    DbxFolderList list;
    list.error = "cannot read " + path.string();
    return list;
  }
  return readFolderList(source);
}

}  // namespace mailvane::dbx
