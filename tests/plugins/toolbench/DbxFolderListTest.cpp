#include <gtest/gtest.h>

#include "plugins/toolbench/DbxFolderList.h"
#include "tests/plugins/toolbench/DbxBuilder.h"

namespace mailvane::dbx {
namespace {

using test::DbxBuilder;
using test::Property;

TEST(DbxFolderList, ReadsIdsParentsNamesAndFilesWhetherStoredDirectlyOrNot) {
  DbxBuilder file(test::kFolderClass);
  // The root: no id, parent -1 (too wide for a direct value).
  const uint32_t root =
      file.addRecord({Property::int4(0x01, 0xFFFFFFFF), Property::text(0x02, "Root")});
  // Top level: no parent property.
  const uint32_t local =
      file.addRecord({Property::direct24(0x00, 1), Property::text(0x02, "Local Folders")});
  // An id stored indirectly, and a name in the code page of the writing machine.
  const uint32_t inbox =
      file.addRecord({Property::int4(0x00, 4), Property::direct24(0x01, 1),
                      Property::text(0x02, "Bo\xEEte"), Property::text(0x03, "Inbox.dbx")});
  // A name that runs to the end of the record with no terminating NUL.
  const uint32_t drafts = file.addRecord(
      {Property::direct24(0x00, 8), Property::direct24(0x01, 1), Property::bytes(0x02, "Draf")});
  file.setTree1(file.addTree({root, local, inbox, drafts}, 2), 4);

  const DbxFolderList list = readFolderList(*std::make_unique<DbxMemorySource>(file.bytes()));
  ASSERT_TRUE(list.ok) << list.error;
  ASSERT_EQ(list.folders.size(), 4u);
  EXPECT_EQ(list.folders[0].id, 0u);
  EXPECT_EQ(list.folders[0].parentId, -1);
  EXPECT_EQ(list.folders[1].parentId, 0);
  EXPECT_EQ(list.folders[1].name, "Local Folders");
  EXPECT_EQ(list.folders[1].fileName, "");
  EXPECT_EQ(list.folders[2].id, 4u);
  EXPECT_EQ(list.folders[2].name, "Bo\xEEte");
  EXPECT_EQ(list.folders[2].fileName, "Inbox.dbx");
  EXPECT_EQ(list.folders[3].name, "Draf");
}

TEST(DbxFolderList, SkipsDamagedRecordsAndRefusesMessageFolders) {
  DbxBuilder file(test::kFolderClass);
  const uint32_t good = file.addRecord({Property::direct24(0x00, 3), Property::text(0x02, "A")});
  const uint32_t bad = file.addRecord({Property::direct24(0x00, 5), Property::text(0x02, "B")});
  file.putU32(bad, 0);
  file.setTree1(file.addTree({good, bad}, 51), 2);
  DbxMemorySource source(file.bytes());
  const DbxFolderList list = readFolderList(source);
  ASSERT_TRUE(list.ok);
  ASSERT_EQ(list.folders.size(), 1u);
  EXPECT_EQ(list.folders[0].name, "A");
  EXPECT_FALSE(list.problems.empty());

  DbxBuilder messages;
  DbxMemorySource messageSource(messages.bytes());
  EXPECT_FALSE(readFolderList(messageSource).ok);
}

}  // namespace
}  // namespace mailvane::dbx
