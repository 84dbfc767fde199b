// Outlook Express store folders: a Folders.dbx tree over message .dbx files built by the
// tests.
#include <gtest/gtest.h>

#include <set>

#include "plugins/toolbench/DbxFolderList.h"
#include "store/MessageStore.h"
#include "store/OutlookExpressLayout.h"
#include "tests/plugins/toolbench/DbxBuilder.h"
#include "tests/store/FolderListFile.h"
#include "tests/store/StoreTestSupport.h"

namespace mailvane::store {
namespace {

namespace fs = std::filesystem;
using dbx::test::DbxBuilder;
using dbx::test::Property;
using test::plainMessage;
using test::writeFolderList;

// Each folder in store order, indented by its depth, with its message count.
std::vector<std::string> listing(MessageStore& store) {
  std::vector<std::string> rows;
  for (auto folder = store.firstFolder(); folder; folder = store.nextFolder()) {
    rows.push_back(std::string(2 * folder->depth(), ' ') + folder->name() + " " +
                   std::to_string(folder->messageCount()));
  }
  return rows;
}

class OutlookExpressStore : public ::testing::Test {
 protected:
  test::TempDir dir{"store_oe"};
  fs::path root = dir.path();

  void SetUp() override {
    writeFolderList(root / "Folders.dbx",
                    {{0, -1, "Outlook Express", ""},
                     {1, 0, "Local Folders", ""},
                     {4, 1, "Inbox", "Inbox.dbx"},
                     {6, 1, "Sent Items", ""},
                     {9, 0, "news.example.com", ""},
                     // Records may come before their parents; file names in any case.
                     {11, 9, "comp.lang.c", "COMP.LANG.C.DBX"},
                     {12, 4, "Caf\xE9", "Cafe.dbx"},
                     {13, 1, "Broken", "Broken.dbx"},
                     {40000, 1, "Wide id", "Wide.dbx"}});
    DbxBuilder inbox;
    const uint32_t first = inbox.addMessage(1, "Hello", inbox.addChain(plainMessage("Hello")));
    // No subject in the index record: it comes from the message's header.
    const uint32_t second = inbox.addRecord(
        {Property::direct24(0x00, 2),
         Property::direct24(0x04, inbox.addChain(plainMessage("=?utf-8?Q?=C3=9Cber?=")))});
    // Index entry only, no stored text.
    const uint32_t third = inbox.addMessage(3, "Headers only", 0);
    inbox.setTree1(inbox.addTree({first, second, third}, 51), 3);
    inbox.save(root / "Inbox.dbx");
    DbxBuilder::messages({plainMessage("Re: pointers"), plainMessage("Re: arrays")})
        .save(root / "comp.lang.c.dbx");
    DbxBuilder cafe;
    const uint32_t only = cafe.addMessage(1, "caf\xE9", cafe.addChain(plainMessage("caf\xE9")));
    cafe.setTree1(cafe.addTree({only}, 51), 1);
    cafe.save(root / "cafe.DBX");
    DbxBuilder::messages({plainMessage("wide")}).save(root / "Wide.dbx");
    test::writeFile(root / "Broken.dbx", std::string(20000, '\x5A'));
  }
};

TEST_F(OutlookExpressStore, FoldersComeFromFoldersDbxInTreeOrder) {
  MessageStore store = MessageStore::open(root);
  EXPECT_EQ(store.kind(), StoreKind::OutlookExpress);
  EXPECT_EQ(listing(store), (std::vector<std::string>{"Local Folders 0", "  Inbox 3",
                                                      "    Caf\u00E9 1", "  Sent Items 0",
                                                      "  Broken 0", "  Wide id 1",
                                                      "news.example.com 0", "  comp.lang.c 2"}));
  // Stored ids are kept; one too wide for 16 bits gets a free one, and no id repeats.
  EXPECT_EQ(store.folderById(4)->name(), "Inbox");
  EXPECT_EQ(store.folderById(12)->parentId(), 4);
  std::set<FolderId> ids;
  FolderId wide = 0;
  for (auto folder = store.firstFolder(); folder; folder = store.nextFolder()) {
    EXPECT_TRUE(ids.insert(folder->id()).second) << folder->id();
    if (folder->name() == "Wide id") wide = folder->id();
  }
  EXPECT_GT(wide, 0);
  EXPECT_EQ(store.folderById(wide)->name(), "Wide id");
  EXPECT_FALSE(store.folderById(40000));
  EXPECT_FALSE(store.folderById(40000 - 65536));
}

TEST_F(OutlookExpressStore, MessagesComeFromTheFolderDbxExactlyAsStored) {
  MessageStore store = MessageStore::open(root);
  auto inbox = store.folderById(4);
  ASSERT_TRUE(inbox);
  auto first = inbox->firstMessage();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->subject(), "Hello");
  EXPECT_EQ(first->source(), plainMessage("Hello"));
  EXPECT_EQ(first->partText(first->textBodyPart()), "Hello.\r\n");
  auto second = inbox->nextMessage();
  EXPECT_EQ(second->subject(), "\u00DCber");
  // A message without stored text lists with its subject and an empty source.
  auto third = inbox->nextMessage();
  EXPECT_EQ(third->subject(), "Headers only");
  EXPECT_EQ(third->source(), "");
  EXPECT_FALSE(inbox->nextMessage());
  EXPECT_EQ(inbox->messageById(2)->source(), plainMessage("=?utf-8?Q?=C3=9Cber?="));
  // Subjects stored in the code page come out as UTF-8.
  EXPECT_EQ(store.folderById(12)->firstMessage()->subject(), "caf\u00E9");
  EXPECT_EQ(store.folderById(12)->firstMessage()->source(), plainMessage("caf\xE9"));
}

TEST_F(OutlookExpressStore, WithoutAReadableFoldersDbxEachMessageFileIsAFolder) {
  test::writeFile(root / "Folders.dbx", "not a folder list");
  MessageStore store = MessageStore::open(root);
  EXPECT_EQ(store.kind(), StoreKind::OutlookExpress);
  EXPECT_EQ(listing(store),
            (std::vector<std::string>{"cafe 1", "comp.lang.c 2", "Inbox 3", "Wide 1"}));
}

TEST(OutlookExpressFolderTree, ParentLoopsRepeatsAndStrangersListEveryFolderOnce) {
  const std::vector<dbx::DbxFolder> records = {
      {2, 3, "A", ""},   {3, 2, "B", ""},  // each the other's parent
      {5, 5, "Self", ""},                  // its own parent
      {6, 2, "Under A", ""},
      {2, 0, "A again", ""},    // repeated id: the first record wins
      {7, 99, "Orphan", ""},    // parent not in the list
      {0, 7, "No id", ""},      // gets a free id
      {8, -1, "Root", ""},      // the tree's root is not listed
  };
  const auto folders = foldersFromList(records, [](const std::string&) { return fs::path(); });
  std::vector<std::string> names;
  for (const auto& folder : folders) names.push_back(folder.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Self", "Orphan", "No id", "A", "B", "Under A"}));
  for (const auto& folder : folders) {
    EXPECT_GT(folder.id, 0) << folder.name;
    EXPECT_EQ(folder.messages, nullptr);
  }
  EXPECT_EQ(folders[2].parentId, folders[1].id);
}

TEST(OutlookExpressFolderTree, AVeryDeepChainDoesNotExhaustTheStack) {
  std::vector<dbx::DbxFolder> records;
  for (uint32_t id = 1; id <= 30000; ++id) records.push_back({id, int64_t(id) - 1, "f", ""});
  const auto folders = foldersFromList(records, [](const std::string&) { return fs::path(); });
  ASSERT_EQ(folders.size(), 30000u);
  EXPECT_EQ(folders.back().depth, 29999);
}

}  // namespace
}  // namespace mailvane::store
