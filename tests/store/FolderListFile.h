#pragma once
// Folders.dbx files written by the store tests.

#include <filesystem>
#include <string>
#include <vector>

#include "tests/plugins/toolbench/DbxBuilder.h"

namespace mailvane::store::test {

struct FolderRecord {
  uint32_t id;
  int64_t parent;  // -1 for the root of all folders
  std::string name;
  std::string file;
};

inline void writeFolderList(const std::filesystem::path& path,
                            const std::vector<FolderRecord>& folders) {
  using dbx::test::Property;
  dbx::test::DbxBuilder builder(dbx::test::kFolderClass);
  std::vector<uint32_t> records;
  for (const FolderRecord& folder : folders) {
    std::vector<Property> properties = {Property::int4(0x00, folder.id),
                                        Property::int4(0x01, uint32_t(folder.parent)),
                                        Property::text(0x02, folder.name)};
    if (!folder.file.empty()) properties.push_back(Property::text(0x03, folder.file));
    records.push_back(builder.addRecord(properties));
  }
  builder.setTree1(builder.addTree(records, 3), uint32_t(records.size()));
  builder.save(path);
}

}  // namespace mailvane::store::test
