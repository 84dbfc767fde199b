// Whole stores exported as a Maildir and as mbox files, read back and compared byte for
// byte with what the store holds: Windows Mail stores of .eml files and Outlook Express
// stores built by the tests, and the shared sample store when it is there.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>

#include "store/MaildirWriter.h"
#include "store/Mboxrd.h"
#include "store/MessageStore.h"
#include "store/StoreExport.h"
#include "tests/plugins/toolbench/DbxBuilder.h"
#include "tests/store/FolderListFile.h"
#include "tests/store/StoreTestSupport.h"

namespace mailvane::store {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace fs = std::filesystem;
using dbx::test::DbxBuilder;
using dbx::test::Property;
using test::plainMessage;
using test::readFile;
using test::writeFile;

constexpr int64_t kMarch4 = 1204621200;  // Tue, 4 Mar 2008 09:00:00 UTC

std::string datedMessage(const std::string& subject, const std::string& body) {
  return "From: \"Ann\" <ann@example.com>\r\nDate: Tue, 4 Mar 2008 10:00:00 +0100\r\nSubject: " +
         subject + "\r\n\r\n" + body;
}

struct Exported {
  ExportReport report;
  std::vector<std::string> problems;
};

Exported exportStore(const fs::path& root, ExportFormat format, const fs::path& output,
                     bool intoExisting = false) {
  MessageStore store = MessageStore::open(root);
  std::vector<StoreFolder> folders;
  for (auto folder = store.firstFolder(); folder; folder = store.nextFolder())
    folders.push_back(*folder);
  Exported exported;
  ExportCallbacks callbacks;
  callbacks.problem = [&](const std::string& problem) { exported.problems.push_back(problem); };
  exported.report = exportFolders(folders, {format, output, intoExisting, root}, callbacks);
  return exported;
}

// The messages of each store folder, by its path from the top.
std::map<std::string, std::vector<std::string>> storeMessages(const fs::path& root) {
  MessageStore store = MessageStore::open(root);
  std::map<FolderId, std::string> paths;
  std::map<std::string, std::vector<std::string>> messages;
  for (auto folder = store.firstFolder(); folder; folder = store.nextFolder()) {
    const auto parent = paths.find(folder->parentId());
    const std::string path =
        parent == paths.end() ? folder->name() : parent->second + "/" + folder->name();
    paths[folder->id()] = path;
    auto& list = messages[path];
    for (auto message = folder->firstMessage(); message; message = folder->nextMessage()) {
      if (message->wholeSource()) list.push_back(*message->wholeSource());
    }
  }
  return messages;
}

std::vector<std::string> filesIn(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> sorted(std::vector<std::string> texts) {
  std::sort(texts.begin(), texts.end());
  return texts;
}

std::vector<std::string> maildirMessages(const fs::path& folder) {
  std::vector<std::string> texts;
  for (const std::string& name : filesIn(folder / "cur"))
    texts.push_back(readFile(folder / "cur" / name));
  return sorted(texts);
}

std::vector<std::string> mboxMessages(const fs::path& file) {
  std::vector<std::string> texts;
  MboxSplitter splitter([&](std::string text) { texts.push_back(std::move(text)); });
  splitter.feed(readFile(file));
  splitter.finish();
  return texts;
}

std::vector<std::string> readBack(const std::vector<std::string>& messages) {
  std::vector<std::string> back;
  for (const std::string& message : messages) back.push_back(mboxReadBack(message));
  return back;
}

// Every path below root with the size and time of each file, to see that nothing changed.
std::map<std::string, std::string> snapshot(const fs::path& root) {
  std::map<std::string, std::string> state;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    struct stat st;
    ::lstat(entry.path().c_str(), &st);
    state[fs::relative(entry.path(), root).string()] = std::to_string(st.st_size) + "@" +
                                                       std::to_string(st.st_mtime) + "." +
                                                       std::to_string(st.st_mtim.tv_nsec);
  }
  return state;
}

// A store and an export of it in one temporary folder.
class StoreAndExport : public ::testing::Test {
 protected:
  test::TempDir dir{"export"};
  fs::path root = dir / "store";
  fs::path out = dir / "out";
};

// A Windows Mail store whose folder names need escaping and repeat, and whose messages
// hold "From " lines, binary bytes, no final line end and an exact repeat.
class MailFolderExport : public StoreAndExport {
 protected:
  void SetUp() override {
    const fs::path local = root / "Local Folders";
    writeFile(local / "Inbox" / "winmail.fol", "Inbox");
    writeFile(local / "Inbox" / "1.eml", datedMessage("one", "Hello.\r\n"));
    writeFile(local / "Inbox" / "2.eml",
              datedMessage("from lines", "From me\r\n>From you\r\nFromage\r\n"));
    writeFile(local / "Inbox" / "3.eml",
              "Subject: binary, cut off\r\n\r\n" + test::binaryPayload() + "no line end");
    writeFile(local / "Inbox" / "4.eml", datedMessage("one", "Hello.\r\n"));
    writeFile(local / "Inbox" / "Hytta" / "winmail.fol", "Hytta 2008");
    writeFile(local / "Inbox" / "Hytta" / "a.eml", plainMessage("cabin"));
    writeFile(local / "Dots" / "wlmail.fol", "a.b/c");
    writeFile(local / "Dots" / "x.eml", plainMessage("dots"));
    writeFile(local / "Same1" / "winmail.fol", "Same");
    writeFile(local / "Same1" / "y.eml", plainMessage("same 1"));
    writeFile(local / "Same2" / "winmail.fol", "Same");
    writeFile(local / "Same2" / "z.nws", plainMessage("same 2"));
    // A folder of its name file only: exported empty.
    writeFile(local / "Drafts" / "winmail.fol", "Drafts");
  }
};

TEST_F(MailFolderExport, MaildirHoldsEveryFolderAndMessageByteForByte) {
  const auto before = snapshot(root);
  const Exported run = exportStore(root, ExportFormat::Maildir, out);
  ASSERT_TRUE(run.report.started) << run.report.error;
  EXPECT_TRUE(run.problems.empty());
  EXPECT_FALSE(run.report.anyFailed());
  EXPECT_EQ(snapshot(root), before);  // the store is only read

  std::vector<std::pair<std::string, std::string>> outputs;
  for (const auto& folder : run.report.folders)
    outputs.emplace_back(folder.storePath, folder.outputPath);
  EXPECT_EQ(outputs, (std::vector<std::pair<std::string, std::string>>{
                         {"a.b/c", ".a\\2eb\\2fc"}, {"Drafts", ".Drafts"}, {"Inbox", ".Inbox"},
                         {"Inbox/Hytta 2008", ".Inbox.Hytta 2008"}, {"Same", ".Same"},
                         {"Same", ".Same (2)"}}));
  EXPECT_EQ(filesIn(out),
            (std::vector<std::string>{".Drafts", ".Inbox", ".Inbox.Hytta 2008", ".Same",
                                      ".Same (2)", ".a\\2eb\\2fc", "cur", "new", "tmp"}));
  EXPECT_EQ(filesIn(out / ".Inbox"),
            (std::vector<std::string>{"cur", "maildirfolder", "new", "tmp"}));
  const auto stored = storeMessages(root);
  EXPECT_EQ(maildirMessages(out / ".Inbox"), sorted(stored.at("Inbox")));
  EXPECT_EQ(maildirMessages(out / ".Inbox.Hytta 2008"), sorted(stored.at("Inbox/Hytta 2008")));
  EXPECT_EQ(maildirMessages(out / ".Same").size() + maildirMessages(out / ".Same (2)").size(), 2u);
  EXPECT_TRUE(maildirMessages(out / ".Drafts").empty());
  EXPECT_TRUE(filesIn(out / ".Inbox" / "tmp").empty());

  // Dated messages carry their date in the name and as the file's time; the exact repeat
  // gets a name of its own; Windows Mail keeps no read flags.
  size_t dated = 0;
  for (const std::string& name : filesIn(out / ".Inbox" / "cur")) {
    EXPECT_TRUE(name.ends_with(":2,")) << name;
    if (!name.starts_with(std::to_string(kMarch4) + ".")) continue;
    ++dated;
    struct stat st;
    ASSERT_EQ(::stat((out / ".Inbox" / "cur" / name).c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, kMarch4);
  }
  EXPECT_EQ(dated, 3u);
}

TEST_F(MailFolderExport, MboxGivesBackEveryMessageWithTheQuotingUndone) {
  const Exported run = exportStore(root, ExportFormat::Mbox, out);
  ASSERT_TRUE(run.report.started) << run.report.error;
  EXPECT_FALSE(run.report.anyFailed());
  EXPECT_EQ(filesIn(out), (std::vector<std::string>{"Drafts", "Inbox", "Inbox.sbd", "Same",
                                                    "Same (2)", "a.b%2fc"}));
  const auto stored = storeMessages(root);
  EXPECT_EQ(mboxMessages(out / "Inbox"), readBack(stored.at("Inbox")));
  EXPECT_EQ(mboxMessages(out / "Inbox.sbd" / "Hytta 2008"),
            readBack(stored.at("Inbox/Hytta 2008")));
  EXPECT_EQ(readFile(out / "Drafts"), "");
  const std::string inbox = readFile(out / "Inbox");
  EXPECT_TRUE(inbox.starts_with("From ann@example.com Tue Mar  4 09:00:00 2008\n"));
  EXPECT_THAT(inbox, HasSubstr("\n>From me\r\n>>From you\r\nFromage\r\n"));
  // No hidden file of an unfinished write stays behind.
  for (const auto& entry : fs::recursive_directory_iterator(out)) {
    EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
  }
}

TEST_F(MailFolderExport, ASecondExportStopsAndIntoExistingAddsOnlyWhatIsMissing) {
  for (ExportFormat format : {ExportFormat::Maildir, ExportFormat::Mbox}) {
    SCOPED_TRACE(format == ExportFormat::Maildir ? "Maildir" : "mbox");
    const fs::path output = dir / (format == ExportFormat::Maildir ? "md" : "mbox");
    ASSERT_TRUE(exportStore(root, format, output).report.started);
    const auto first = snapshot(output);

    const Exported again = exportStore(root, format, output);
    EXPECT_FALSE(again.report.started);
    EXPECT_TRUE(again.report.anyFailed());
    EXPECT_THAT(again.report.error, HasSubstr("--into-existing"));
    EXPECT_THAT(again.report.error, HasSubstr(output.string()));
    EXPECT_EQ(snapshot(output), first);

    const Exported same = exportStore(root, format, output, true);
    ASSERT_TRUE(same.report.started);
    EXPECT_FALSE(same.report.anyFailed());
    for (const auto& folder : same.report.folders)
      EXPECT_EQ(folder.written, 0u) << folder.storePath;
    EXPECT_EQ(same.report.folders[2].alreadyThere, 4u);  // Inbox, its repeat included
    EXPECT_EQ(snapshot(output), first);
  }
  // A new message in the store, and (Maildir) one taken out of the export.
  writeFile(root / "Local Folders" / "Inbox" / "5.eml", plainMessage("new"));
  const fs::path md = dir / "md";
  fs::remove(md / ".Inbox" / "cur" / filesIn(md / ".Inbox" / "cur").front());
  const Exported maildir = exportStore(root, ExportFormat::Maildir, md, true);
  EXPECT_EQ(maildir.report.folders[2].written, 2u);
  EXPECT_EQ(maildirMessages(md / ".Inbox"), sorted(storeMessages(root).at("Inbox")));

  const std::string before = readFile(dir / "mbox" / "Inbox");
  const Exported mbox = exportStore(root, ExportFormat::Mbox, dir / "mbox", true);
  EXPECT_EQ(mbox.report.folders[2].written, 1u);
  const std::string after = readFile(dir / "mbox" / "Inbox");
  EXPECT_TRUE(after.starts_with(before));
  EXPECT_EQ(mboxMessages(dir / "mbox" / "Inbox"), readBack(storeMessages(root).at("Inbox")));
}

TEST_F(MailFolderExport, MessagesAddedToAnMboxFileOfOtherOriginStartOnTheirOwnLine) {
  ASSERT_TRUE(exportStore(root, ExportFormat::Mbox, out).report.started);
  writeFile(out / "Drafts", "From a@b Thu Jan  1 00:00:00 1970\nwritten elsewhere, no line end");
  writeFile(root / "Local Folders" / "Drafts" / "d.eml", plainMessage("draft"));
  const Exported run = exportStore(root, ExportFormat::Mbox, out, true);
  EXPECT_FALSE(run.report.anyFailed());
  EXPECT_EQ(mboxMessages(out / "Drafts"),
            (std::vector<std::string>{"written elsewhere, no line end\n", plainMessage("draft")}));
}

TEST_F(MailFolderExport, TheOutputMayNotBeInsideTheStore) {
  const Exported run = exportStore(root, ExportFormat::Mbox, root / "Local Folders" / "out");
  EXPECT_FALSE(run.report.started);
  EXPECT_THAT(run.report.error, HasSubstr("inside the store"));
  EXPECT_FALSE(fs::exists(root / "Local Folders" / "out"));
}

// An Outlook Express store with read flags, a damaged chain, a message whose text was
// never stored and a folder file that is no .dbx at all.
class OutlookExpressExport : public StoreAndExport {
 protected:
  void SetUp() override {
    fs::create_directories(root);
    test::writeFolderList(root / "Folders.dbx", {{0, -1, "Outlook Express", ""},
                                                 {1, 0, "Local Folders", ""},
                                                 {4, 1, "Inbox", "Inbox.dbx"},
                                                 {5, 4, "Sub/dir", "Sub.dbx"},
                                                 {6, 1, "Broken", "Broken.dbx"}});
    DbxBuilder inbox;
    const auto message = [&inbox](uint32_t id, uint32_t flags, const std::string& text) {
      return inbox.addRecord({Property::direct24(0x00, id), Property::int4(0x01, flags),
                              Property::direct24(0x04, inbox.addChain(text))});
    };
    const uint32_t read = message(1, 0x81, datedMessage("read", "seen\r\n"));
    const uint32_t unread = message(2, 0x01, datedMessage("unread", "new\r\n"));
    const uint32_t damaged = message(3, 0x81, datedMessage("damaged", std::string(3000, 'x')));
    const uint32_t headersOnly = inbox.addMessage(4, "Headers only", 0);
    // The damaged message's second block claims to be somewhere else.
    const uint32_t firstBlock = firstBlockOf(inbox, damaged);
    const uint32_t second = inbox.u32(firstBlock + 0x0C);
    inbox.putU32(second, second + 4);
    inbox.setTree1(inbox.addTree({read, unread, damaged, headersOnly}, 51), 4);
    inbox.save(root / "Inbox.dbx");
    DbxBuilder::messages({plainMessage("below")}).save(root / "Sub.dbx");
    writeFile(root / "Broken.dbx", std::string(20000, 'Z'));
  }

  // The first block of a message record built above (its third property, stored direct).
  static uint32_t firstBlockOf(const DbxBuilder& builder, uint32_t record) {
    return builder.u32(record + 0x0C + 2 * 4) >> 8;
  }
};

TEST_F(OutlookExpressExport, ReadFlagsBecomeSeenAndUnreadableMessagesAreReported) {
  const Exported run = exportStore(root, ExportFormat::Maildir, out);
  ASSERT_TRUE(run.report.started) << run.report.error;
  EXPECT_TRUE(run.report.anyFailed());
  EXPECT_THAT(run.problems, ElementsAre(HasSubstr("message 3 of folder \"Local Folders/Inbox\""),
                                        HasSubstr("message 4 of folder \"Local Folders/Inbox\""),
                                        HasSubstr("folder \"Local Folders/Broken\"")));
  const fs::path inbox = out / ".Local Folders.Inbox";
  const auto names = filesIn(inbox / "cur");
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(std::count_if(names.begin(), names.end(),
                          [](const std::string& n) { return n.ends_with(":2,S"); }),
            1);
  EXPECT_EQ(maildirMessages(inbox),
            sorted({datedMessage("read", "seen\r\n"), datedMessage("unread", "new\r\n")}));
  EXPECT_EQ(maildirMessages(out / ".Local Folders.Inbox.Sub\\2fdir"),
            std::vector<std::string>{plainMessage("below")});
  const auto& folders = run.report.folders;
  ASSERT_EQ(folders.size(), 4u);
  EXPECT_EQ(folders[1].written, 2u);
  EXPECT_EQ(folders[1].failed, 2u);
  EXPECT_FALSE(folders[3].complete);
}

TEST(MaildirNames, TheKeyIsTheMiddleOfTheName) {
  EXPECT_EQ(MaildirWriter::keyOfName("1204621200.abc_2.mailvane:2,S"), "abc_2");
  EXPECT_EQ(MaildirWriter::keyOfName("1204621200.abc"), "");
  EXPECT_EQ(MaildirWriter::keyOfName("noname"), "");
}

// The shared sample store, its files linked under their real names: listed as the mail
// client shows it and exported unchanged; without Folders.dbx a lone message file is a
// folder of its own.
TEST(StoreSamples, TheSampleStoreListsItsFoldersAndExportsItsMessageUnchanged) {
  const fs::path samples = fs::path(MAILVANE_SHARED_SAMPLES) / "dbx";
  if (!fs::exists(samples / "mcguire_Folders.dbx")) GTEST_SKIP() << "no shared samples";
  test::TempDir dir("store_samples");
  fs::create_directories(dir / "store");
  for (const char* name : {"Folders", "Inbox", "Outbox", "Offline"}) {
    fs::create_symlink(samples / ("mcguire_" + std::string(name) + ".dbx"),
                       dir / ("store/" + std::string(name) + ".dbx"));
  }
  MessageStore store = MessageStore::open(dir / "store");
  std::vector<std::string> listed;  // indented by depth, with the message count
  for (auto folder = store.firstFolder(); folder; folder = store.nextFolder()) {
    listed.push_back(std::string(2 * folder->depth(), ' ') + folder->name() + " " +
                     std::to_string(folder->messageCount()));
  }
  EXPECT_EQ(listed, (std::vector<std::string>{"Local Folders 0", "  Inbox 1", "  Outbox 0",
                                              "  Sent Items 0", "  Deleted Items 0",
                                              "  Drafts 0", "Hotmail 0"}));
  auto message = store.folderById(4)->firstMessage();
  ASSERT_TRUE(message);
  EXPECT_EQ(message->subject(), "Welcome to Outlook Express 6");
  EXPECT_EQ(message->source().size(), 10139u);
  EXPECT_THAT(message->partText(message->htmlBodyPart()), HasSubstr("<HTML"));

  const auto stored = storeMessages(dir / "store");
  EXPECT_EQ(stored.at("Local Folders/Inbox").at(0).size(), 10139u);
  for (ExportFormat format : {ExportFormat::Maildir, ExportFormat::Mbox}) {
    const fs::path output = dir / (format == ExportFormat::Maildir ? "md" : "mbox");
    const Exported run = exportStore(dir / "store", format, output);
    ASSERT_TRUE(run.report.started);
    EXPECT_FALSE(run.report.anyFailed());
    EXPECT_EQ(run.report.folders.size(), 7u);
    if (format == ExportFormat::Maildir) {
      EXPECT_EQ(maildirMessages(output / ".Local Folders.Inbox"), stored.at("Local Folders/Inbox"));
    } else {
      EXPECT_EQ(mboxMessages(output / "Local Folders.sbd" / "Inbox"),
                readBack(stored.at("Local Folders/Inbox")));
    }
  }

  fs::create_directories(dir / "lone");
  fs::create_symlink(samples / "perl-mtd_test1.dbx", dir / "lone" / "test1.dbx");
  MessageStore loneStore = MessageStore::open(dir / "lone");
  ASSERT_EQ(loneStore.folderCount(), 1u);
  EXPECT_EQ(loneStore.firstFolder()->firstMessage()->source().size(), 2710u);
}

}  // namespace
}  // namespace mailvane::store
