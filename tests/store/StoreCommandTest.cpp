// `mailvane store` and `mailvane dbx export`, run in-process over stores built in a
// temporary folder; one export is read back by Python's mailbox module, a reader of its own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "cli/ModuleCommands.h"
#include "tests/cli/CliTestSupport.h"
#include "tests/plugins/toolbench/DbxBuilder.h"
#include "tests/store/FolderListFile.h"
#include "tests/store/StoreTestSupport.h"

namespace mailvane {
namespace {

using ::testing::HasSubstr;

namespace fs = std::filesystem;
using store::test::plainMessage;
using store::test::writeFile;

testing::CommandRun mailvaneStore(const std::vector<std::string>& args) {
  return testing::runCommand(&cli::storeCommand, args);
}

class StoreCommand : public ::testing::Test {
 protected:
  store::test::TempDir dir{"store_cli"};

  void SetUp() override {
    const fs::path inbox = dir / "Local Folders" / "Inbox";
    writeFile(inbox / "winmail.fol", "Inbox");
    writeFile(inbox / "1.eml",
              "Subject: With parts\r\nMIME-Version: 1.0\r\n"
              "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
              "--b\r\nContent-Type: text/plain\r\n\r\nbody\r\n"
              "--b\r\nContent-Type: image/gif; name=\"=?utf-8?Q?f=C3=B6to.gif?=\"\r\n\r\nGIF\r\n"
              "--b\r\nContent-Type: application/octet-stream\r\n\r\nx\r\n--b--\r\n");
    // A subject that tries to send a terminal escape.
    writeFile(inbox / "2.eml", plainMessage("bell\x1B]0;title\x07"));
    fs::create_directories(dir / "Local Folders" / "Inbox" / "Sub");
    writeFile(dir / "Local Folders" / "Inbox" / "Sub" / "3.nws", plainMessage("news"));
  }
};

TEST_F(StoreCommand, FoldersListsIdentifiersCountsAndNestedNames) {
  const auto run = mailvaneStore({"--root", dir.path().string(), "folders"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "1\t2\tInbox\n2\t1\t  Sub\n");
}

TEST_F(StoreCommand, ListShowsSubjectsAndPartNamesWithControlCharactersMasked) {
  const auto run = mailvaneStore({"--root", dir.path().string(), "list", "1"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "1\tWith parts\tf\u00F6to.gif, (unnamed)\n2\tbell?]0;title?\t\n");
}

TEST(StoreCommandDbx, AFolderWhoseFileCannotBeReadIsAFailureNotAnEmptyFolder) {
  store::test::TempDir dir("store_cli_dbx");
  store::test::writeFolderList(dir / "Folders.dbx", {{0, -1, "Outlook Express", ""},
                                                     {4, 0, "Inbox", "Inbox.dbx"},
                                                     {5, 0, "Broken", "Broken.dbx"}});
  dbx::test::DbxBuilder::messages({plainMessage("a")}).save(dir / "Inbox.dbx");
  writeFile(dir / "Broken.dbx", std::string(20000, 'Z'));
  EXPECT_EQ(mailvaneStore({"--root", dir.path().string(), "list", "4"}).status, 0);
  const auto broken = mailvaneStore({"--root", dir.path().string(), "list", "5"});
  EXPECT_EQ(broken.status, 1);
  EXPECT_THAT(broken.err, HasSubstr("folder 5: "));
}

TEST_F(StoreCommand, BadArgumentsAndMissingFoldersAreReported) {
  const std::string root = dir.path().string();
  EXPECT_EQ(mailvaneStore({"--root", root}).status, 2);
  EXPECT_EQ(mailvaneStore({"--root", root, "list", "x1"}).status, 2);
  EXPECT_EQ(mailvaneStore({"--root"}).status, 2);
  const auto missing = mailvaneStore({"--root", root, "list", "99"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_THAT(missing.err, HasSubstr("no folder 99"));
  EXPECT_EQ(mailvaneStore({"--root", (dir / "nothing").string(), "folders"}).status, 1);
  EXPECT_EQ(mailvaneStore({"--help"}).status, 0);
}

testing::CommandRun mailvaneDbxExport(const std::vector<std::string>& args) {
  return testing::runCommand(&cli::dbxExportCommand, args);
}

// The output of a command, or nothing when it cannot run.
std::optional<std::string> outputOf(const std::string& command) {
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return std::nullopt;
  std::string text;
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
  return ::pclose(pipe) == 0 ? std::optional<std::string>(text) : std::nullopt;
}

// Message counts per folder as Python's mailbox module reads the export.
constexpr const char* kCountScript = R"(
import mailbox, os, sys
kind, top = sys.argv[1], sys.argv[2]
if kind == 'maildir':
    box = mailbox.Maildir(top, factory=None, create=False)
    for name in sorted(box.list_folders()):
        print(name, len(box.get_folder(name)))
else:
    for folder, dirs, files in sorted(os.walk(top)):
        for name in sorted(files):
            path = os.path.join(folder, name)
            print(os.path.relpath(path, top), len(mailbox.mbox(path, create=False)))
)";

class ExportCommand : public ::testing::Test {
 protected:
  store::test::TempDir dir{"export_cli"};
  fs::path root = dir / "store";

  void SetUp() override {
    const fs::path inbox = root / "Local Folders" / "Inbox";
    writeFile(inbox / "winmail.fol", "Inbox");
    writeFile(inbox / "1.eml", plainMessage("one"));
    writeFile(inbox / "2.eml", plainMessage("two", "From the start of a line\r\n"));
    writeFile(inbox / "Trip" / "winmail.fol", "Hytta 2008");
    writeFile(inbox / "Trip" / "3.eml", plainMessage("three"));
    writeFile(root / "Local Folders" / "Odd" / "winmail.fol", "a.b/\x1B[31mred");
    writeFile(root / "Local Folders" / "Odd" / "4.eml", plainMessage("four"));
  }

  std::string python(const std::string& kind, const fs::path& top) {
    const fs::path script = dir / "count.py";
    writeFile(script, kCountScript);
    const auto text =
        outputOf("python3 '" + script.string() + "' " + kind + " '" + top.string() + "'");
    return text.value_or("(python3 could not read it)");
  }
};

TEST_F(ExportCommand, StoreExportPrintsItsTableAndAnImportReadsEveryFolder) {
  if (!outputOf("python3 -c 'import mailbox'")) GTEST_SKIP() << "no python3";
  const fs::path maildir = dir / "Maildir";
  const auto run =
      mailvaneStore({"--root", root.string(), "export", "--maildir", maildir.string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "store folder      output                 written  present  failed\n"
            "Inbox             .Inbox                       2        0       0\n"
            "Inbox/Hytta 2008  .Inbox.Hytta 2008            1        0       0\n"
            "a.b/?[31mred      .a\\2eb\\2f&ABs-[31mred        1        0       0\n");
  EXPECT_EQ(python("maildir", maildir), "Inbox 2\nInbox.Hytta 2008 1\na\\2eb\\2f&ABs-[31mred 1\n");

  const fs::path mbox = dir / "mbox";
  const auto mboxRun = mailvaneStore({"export", "--mbox", mbox.string(), "--root", root.string()});
  EXPECT_EQ(mboxRun.status, 0) << mboxRun.err;
  EXPECT_EQ(python("mbox", mbox), "Inbox 2\na.b%2f%1b[31mred 1\nInbox.sbd/Hytta 2008 1\n");

  // Again into the same folder: refused, naming it; then added to, writing nothing new.
  const auto again = mailvaneStore({"--root", root.string(), "export", "--mbox", mbox.string()});
  EXPECT_EQ(again.status, 1);
  EXPECT_THAT(again.err, HasSubstr(mbox.string()));
  EXPECT_THAT(again.err, HasSubstr("--into-existing"));
  EXPECT_EQ(again.out, "");
  const auto into = mailvaneStore(
      {"--root", root.string(), "export", "--into-existing", "--mbox", mbox.string()});
  EXPECT_EQ(into.status, 0) << into.err;
  EXPECT_THAT(into.out,
              HasSubstr("Inbox             Inbox                       0        2       0\n"));
}

TEST_F(ExportCommand, UsageErrorsAndHelp) {
  const std::string r = root.string();
  fs::create_directories(dir / "empty");
  const struct {
    std::vector<std::string> args;
    int status;
  } cases[] = {
      {{"--root", r, "export"}, 2},
      {{"--root", r, "export", "--maildir"}, 2},
      {{"--root", r, "export", "--maildir", "a", "--mbox", "b"}, 2},
      {{"--root", r, "export", "--mbox", "a", "extra"}, 2},
      {{"--root", r, "export", "--mbox", "a", "--bogus"}, 2},
      {{"--root", (dir / "none").string(), "export", "--mbox", (dir / "x").string()}, 1},
      // A folder without mail: not a silent success.
      {{"--root", (dir / "empty").string(), "export", "--mbox", (dir / "y").string()}, 1},
  };
  for (const auto& c : cases) {
    const auto run = mailvaneStore(c.args);
    EXPECT_EQ(run.status, c.status) << c.args.back() << ": " << run.err;
    EXPECT_FALSE(run.err.empty());
  }
  const auto help = mailvaneStore({"--help"});
  EXPECT_THAT(help.out, HasSubstr("--into-existing"));
  EXPECT_EQ(mailvaneDbxExport({"--mbox", "x"}).status, 2);
}

TEST_F(ExportCommand, DbxExportMakesAFolderPerFileAndReportsWhatItCannotRead) {
  const fs::path loose = dir / "loose";
  fs::create_directories(loose);
  dbx::test::DbxBuilder::messages({plainMessage("a"), plainMessage("b")}).save(loose / "Inbox.dbx");
  dbx::test::DbxBuilder::messages({plainMessage("c")}).save(dir / "Inbox.dbx");
  writeFile(loose / "notes.dbx", "not a dbx file");
  const fs::path out = dir / "out";
  const auto run =
      mailvaneDbxExport({"--maildir", out.string(), (loose / "Inbox.dbx").string(),
                         (dir / "Inbox.dbx").string(), (loose / "notes.dbx").string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("notes.dbx"));
  EXPECT_THAT(run.out, HasSubstr("Inbox         .Inbox (2)        1"));
  EXPECT_EQ(std::distance(fs::directory_iterator(out / ".Inbox" / "cur"), fs::directory_iterator()),
            2);
  EXPECT_EQ(
      std::distance(fs::directory_iterator(out / ".Inbox (2)" / "cur"), fs::directory_iterator()),
      1);

  // A read message of the shared samples is flagged seen and dated by its Date header.
  const fs::path sample = fs::path(MAILVANE_SHARED_SAMPLES) / "dbx" / "perl-mtd_test1.dbx";
  if (!fs::exists(sample)) return;
  const auto samples =
      mailvaneDbxExport({"--maildir", (dir / "samples").string(), sample.string()});
  EXPECT_EQ(samples.status, 0) << samples.err;
  const auto file = *fs::directory_iterator(dir / "samples" / ".perl-mtd_test1" / "cur");
  EXPECT_TRUE(file.path().filename().string().ends_with(":2,S"));
  EXPECT_EQ(fs::file_size(file.path()), 2710u);
}

}  // namespace
}  // namespace mailvane
