// Windows Mail and Windows Live Mail stores built in temporary folders, with the subjects
// read from the header block alone and folder names from .fol files.
#include <gtest/gtest.h>

#include <cstdio>

#include "store/FolderNameFile.h"
#include "store/HeaderScan.h"
#include "store/MessageStore.h"
#include "tests/store/StoreTestSupport.h"

namespace mailvane::store {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test::plainMessage;
using test::writeFile;

std::vector<StoreFolder> allFolders(MessageStore& store) {
  std::vector<StoreFolder> folders;
  for (auto folder = store.firstFolder(); folder; folder = store.nextFolder()) {
    folders.push_back(*folder);
  }
  return folders;
}

std::vector<std::string> namesOf(const std::vector<StoreFolder>& folders) {
  std::vector<std::string> names;
  for (const auto& folder : folders) names.push_back(folder.name());
  return names;
}

class MailFolderStore : public ::testing::Test {
 protected:
  test::TempDir dir{"store_wm"};
  fs::path root = dir.path();

  void SetUp() override {
    // Windows Mail: local folders with UTF-16 and plain-text name files.
    writeFile(root / "Local Folders" / "Inbox" / "winmail.fol", "\xFF\xFEI\0n\0b\0o\0x\0\0\0"s);
    writeFile(root / "Local Folders" / "Inbox" / "00000002-00000002.eml", plainMessage("Second"));
    writeFile(root / "Local Folders" / "Inbox" / "00000001-00000001.EML",
              plainMessage("=?utf-8?Q?F=C3=BCrst?="));
    writeFile(root / "Local Folders" / "Inbox" / "notes.txt", "not a message");
    // A nested folder whose directory name differs from its display name.
    writeFile(root / "Local Folders" / "Inbox" / "f1a2" / "wlmail.fol", "Projects 2009\r\n");
    writeFile(root / "Local Folders" / "Inbox" / "f1a2" / "0A-01.eml", plainMessage("Nested"));
    // A folder without messages, known by its name file only.
    writeFile(root / "Local Folders" / "Drafts" / "winmail.fol", "D\0r\0a\0f\0t\0s\0"s);
    // News: .nws files below an account folder.
    writeFile(root / "news.example.com" / "comp.lang.c" / "0FDD08FE-0003DBFF.nws",
              plainMessage("Re: pointers"));
    // Database backups hold no messages and are not listed.
    writeFile(root / "Backup" / "new" / "x.eml", plainMessage("backup"));
    writeFile(root / "Mail.MSMessageStore", "database");
  }
};

TEST_F(MailFolderStore, ListsMessageFoldersParentFirstWithTheirDisplayNames) {
  MessageStore store = MessageStore::open(root);
  EXPECT_EQ(store.kind(), StoreKind::MailFolders);
  const auto folders = allFolders(store);
  EXPECT_EQ(namesOf(folders),
            (std::vector<std::string>{"Drafts", "Inbox", "Projects 2009", "comp.lang.c"}));
  ASSERT_EQ(folders.size(), 4u);
  EXPECT_EQ(folders[2].parentId(), folders[1].id());
  EXPECT_EQ(folders[2].depth(), 1);
  EXPECT_EQ(folders[1].parentId(), 0);
  for (const auto& folder : folders) {
    EXPECT_GT(folder.id(), 0);
    ASSERT_TRUE(store.folderById(folder.id()));
    EXPECT_EQ(store.folderById(folder.id())->name(), folder.name());
  }
  EXPECT_FALSE(store.folderById(0));
  EXPECT_FALSE(store.folderById(70000));
  EXPECT_FALSE(store.nextFolder());
  EXPECT_EQ(folders[0].messageCount(), 0u);
  EXPECT_FALSE(StoreFolder(folders[0]).firstMessage());
}

TEST_F(MailFolderStore, MessagesInFileNameOrderWithSubjectsSourcesAndIdentifiers) {
  MessageStore store = MessageStore::open(root);
  auto inbox = store.folderById(2);
  ASSERT_TRUE(inbox);
  EXPECT_EQ(inbox->name(), "Inbox");
  ASSERT_EQ(inbox->messageCount(), 2u);
  auto first = inbox->firstMessage();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->id(), 1u);
  EXPECT_EQ(first->subject(), "F\u00FCrst");
  EXPECT_EQ(first->source(), plainMessage("=?utf-8?Q?F=C3=BCrst?="));
  auto second = inbox->nextMessage();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->subject(), "Second");
  EXPECT_FALSE(inbox->nextMessage());
  EXPECT_EQ(inbox->messageById(2)->source(), plainMessage("Second"));
  EXPECT_FALSE(inbox->messageById(0));
  EXPECT_FALSE(inbox->messageById(3));

  auto news = store.folderById(4);
  ASSERT_TRUE(news);
  EXPECT_EQ(news->firstMessage()->subject(), "Re: pointers");
  EXPECT_EQ(news->firstMessage()->partText(news->firstMessage()->textBodyPart()), "Hello.\r\n");
}

TEST_F(MailFolderStore, UnreadableEntriesAreSkippedOrComeBackEmpty) {
  const fs::path inbox = root / "Local Folders" / "Inbox";
  // Not regular files: never listed, never opened (a pipe would block a reader).
  fs::create_directory(inbox / "folder.eml");
  fs::create_symlink(inbox / "missing-target", inbox / "dangling.eml");
  // A link loop is not followed.
  fs::create_directory_symlink(root, inbox / "loop");
  MessageStore store = MessageStore::open(root);
  EXPECT_EQ(allFolders(store).size(), 4u);
  auto folder = store.folderById(2);
  ASSERT_EQ(folder->messageCount(), 2u);

  // A message removed after listing reads as empty, and its parts as none.
  auto message = folder->messageById(1);
  fs::remove(inbox / "00000001-00000001.EML");
  EXPECT_EQ(message->source(), "");
  EXPECT_EQ(message->subject(), "");
  EXPECT_EQ(message->textBodyPart(), 0u);
  EXPECT_EQ(message->firstPart(), 0u);
}

TEST_F(MailFolderStore, ARootThatIsNotAFolderHasNoFolders) {
  EXPECT_EQ(MessageStore::open(root / "Mail.MSMessageStore").folderCount(), 0u);
  EXPECT_EQ(MessageStore::open(root / "absent").kind(), StoreKind::None);
  // A plain folder of message files is a store of one folder.
  MessageStore flat = MessageStore::open(root / "Local Folders" / "Inbox" / "f1a2");
  ASSERT_EQ(flat.folderCount(), 1u);
  EXPECT_EQ(flat.firstFolder()->name(), "Projects 2009");
}

// Each message is a sparse file of 256 MiB: listing that read whole sources would take
// gigabytes, so this only passes when counting and subjects read no more than headers.
TEST(MailFolderStoreLarge, ManyLargeMessagesAreListedFromTheirHeadersOnly) {
  test::TempDir dir("store_large");
  const fs::path folder = dir / "Inbox";
  fs::create_directories(folder);
  constexpr int kMessages = 400;
  constexpr uintmax_t kSize = 256u << 20;
  for (int i = 0; i < kMessages; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "%08X-%08X.eml", kMessages - i, i);
    writeFile(folder / name, plainMessage("m" + std::to_string(kMessages - i)));
    fs::resize_file(folder / name, kSize);
  }
  MessageStore store = MessageStore::open(dir.path());
  auto inbox = store.firstFolder();
  ASSERT_TRUE(inbox);
  ASSERT_EQ(inbox->messageCount(), uint32_t(kMessages));
  int expected = 1;
  for (auto message = inbox->firstMessage(); message; message = inbox->nextMessage()) {
    EXPECT_EQ(message->subject(), "m" + std::to_string(expected++));
  }
  EXPECT_EQ(expected, kMessages + 1);
}

TEST(HeaderScan, SubjectIsFoundUnfoldedAndDecoded) {
  EXPECT_EQ(subjectOf("From: a\r\nSUBJECT:   Plain words  \r\nX: y\r\n"), "Plain words");
  EXPECT_EQ(subjectOf("Subject: first\r\n half\r\n\tand more\r\nTo: b\r\n"),
            "first half and more");
  EXPECT_EQ(subjectOf("Subject: =?iso-8859-1?Q?Caf=E9?= =?utf-8?B?4oKs?=\n"), "Caf\u00E9\u20AC");
  // Only the header block counts, and only a field called Subject.
  EXPECT_EQ(subjectOf("From: a\r\n\r\nSubject: in the body\r\n"), "");
  EXPECT_EQ(subjectOf("X-Subject: no\r\nSubjects: no\r\n"), "");
  EXPECT_EQ(subjectOf(""), "");
}

TEST(HeaderScan, ReadsTheWholeHeaderBlockAndNoFurther) {
  test::TempDir dir("store_scan");
  test::writeFile(dir / "a.eml", "Subject: s\r\n\r\n" + std::string(200000, 'x'));
  EXPECT_EQ(readHeaderBlock(dir / "a.eml"), "Subject: s\r\n");
  test::writeFile(dir / "lf.eml", "Subject: s\n\nbody");
  EXPECT_EQ(readHeaderBlock(dir / "lf.eml"), "Subject: s\n");
  // A header with no end is cut at the limit.
  test::writeFile(dir / "long.eml", "Subject: " + std::string(200000, 'y'));
  EXPECT_EQ(readHeaderBlock(dir / "long.eml")->size(), kMaxHeaderScan);
  EXPECT_FALSE(readHeaderBlock(dir / "missing.eml"));
  // Header blocks of many lengths, so the blank line falls on and around every place
  // where the file is read piece by piece.
  for (size_t length : {4000u, 8190u, 8191u, 8192u, 8193u, 16383u, 16384u, 40000u}) {
    std::string header = "Subject: long\r\n";
    while (header.size() + 80 <= length) header += "X: " + std::string(70, 'h') + "\r\n";
    header += std::string(length - header.size() - 2, 'y') + "\r\n";
    ASSERT_EQ(header.size(), length);
    test::writeFile(dir / "m.eml", header + "\r\n" + std::string(100000, 'b'));
    EXPECT_EQ(readHeaderBlock(dir / "m.eml"), header) << length;
    test::writeFile(dir / "m.eml", header);
    EXPECT_EQ(readHeaderBlock(dir / "m.eml"), header) << length << " without a body";
  }
}

TEST(FolderNameFile, Utf16WithOrWithoutMarkAndPlainText) {
  // UTF-16 little-endian with a mark and the trailing NUL the mail client writes.
  EXPECT_EQ(folderNameFromBytes("\xFF\xFEM\0\xE4\0r\0z\0\0\0"s), "M\u00E4rz");
  EXPECT_EQ(folderNameFromBytes("\xFE\xFF\0A\0B"s), "AB");
  // No mark: NULs in every second byte give the encoding away.
  EXPECT_EQ(folderNameFromBytes("I\0n\0b\0o\0x\0\0\0"s), "Inbox");
  // Characters beyond the basic plane come through whole.
  EXPECT_EQ(folderNameFromBytes("\xFF\xFE\x3D\xD8\x00\xDE"s), "\U0001F600");
  // Plain text: UTF-8 when valid, else the code page; only the first line counts.
  EXPECT_EQ(folderNameFromBytes("  Sent Items \r\nsecond line"), "Sent Items");
  EXPECT_EQ(folderNameFromBytes("\xEF\xBB\xBFJuni \xC3\xA9t\xC3\xA9"), "Juni \u00E9t\u00E9");
  EXPECT_EQ(folderNameFromBytes("Caf\xE9"), "Caf\u00E9");
  EXPECT_EQ(folderNameFromBytes(""), "");
  EXPECT_EQ(folderNameFromBytes("\xFF\xFE"), "");
  EXPECT_EQ(readFolderNameFile("/nonexistent/winmail.fol"), "");
}

}  // namespace
}  // namespace mailvane::store
