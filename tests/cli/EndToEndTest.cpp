// Runs the built `mailvane` program on the message files under tests/data/cli and checks
// the written trees byte for byte.
#include <fcntl.h>
#include <unistd.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "tests/cli/CliTestSupport.h"

extern char** environ;

namespace mailvane {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using namespace mailvane::testing;

// Runs the program with stdout and stderr sent to files in scratch (not a terminal, so
// no progress display may appear).
CommandRun runMailvane(const std::vector<std::string>& args, const TempDir& scratch,
                       const std::vector<std::string>& extraEnv = {},
                       const fs::path& programPath = fs::path(MAILVANE_BIN_DIR) / "mailvane") {
  const std::string program = programPath.string();
  const std::string outFile = (scratch / "stdout").string();
  const std::string errFile = (scratch / "stderr").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> env;
  for (const auto& e : extraEnv) env.push_back(const_cast<char*>(e.c_str()));
  for (char** e = environ; *e; ++e) env.push_back(*e);
  env.push_back(nullptr);
  CommandRun run;
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), env.data()) == 0) {
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  }
  posix_spawn_file_actions_destroy(&actions);
  run.out = readBytes(outFile);
  run.err = readBytes(errFile);
  return run;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(EndToEnd, ExtractsEveryKindOfMessageFromAFolderByteForByte) {
  TempDir scratch;
  const fs::path out = scratch / "out";
  const auto run = runMailvane({"extract", "-o", out.string(), dataDir().string()}, scratch);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const auto tree = treeOf(out);
  EXPECT_EQ(namesIn(tree), (std::vector<std::string>{
                               "Holidaypictures/Holidaypictures.htm",
                               "Holidaypictures/Holidaypictures.txt",
                               "Holidaypictures/beach.gif",
                               "Holidaypictures/waves.wav",
                               "Meetingon12042006/Meetingon12.04.2006.htm",
                               "Meetingon12042006/Meetingon12.04.2006.txt",
                               "Quarterlyreport/Quarterlyreport.htm",
                               "Quarterlyreport/Quarterlyreport.txt",
                               "Quarterlyreport/notes.txt",
                               "Quarterlyreport/report.pdf",
                               "photooftheoldmill/mill.jpg",
                               "photooftheoldmill/photooftheoldmill.htm",
                               "photooftheoldmill/photooftheoldmill.txt",
                           }));
  // Outlook Express mail: cid pictures and a sound in base64, quoted-printable HTML.
  EXPECT_EQ(tree.at("Holidaypictures/beach.gif"), original("beach.gif"));
  EXPECT_EQ(tree.at("Holidaypictures/waves.wav"), original("waves.wav"));
  const std::string& html = tree.at("Holidaypictures/Holidaypictures.htm");
  EXPECT_EQ(html.rfind("<HTML>", 0), 0u);
  EXPECT_TRUE(contains(html, "src=\"beach.gif\" align=baseline"));
  EXPECT_TRUE(contains(html, "<BGSOUND balance=0 src=\"waves.wav\" volume=0"));
  EXPECT_TRUE(contains(html, "caf\xE9 by the sea. The sum was 2+2=4.</FONT>"));
  EXPECT_FALSE(contains(html, "cid:"));
  EXPECT_FALSE(contains(html, "<BASE"));
  EXPECT_TRUE(contains(tree.at("Holidaypictures/Holidaypictures.txt"),
                       "Hello Bob, \r\nhere are the pictures from the caf\xE9 by the sea. "
                       "The sum was 2+2=4 and the sound is the waves."));
  // News article with a uuencoded picture.
  EXPECT_EQ(tree.at("photooftheoldmill/mill.jpg"), original("mill.jpg"));
  // Single-part quoted-printable text: the whole body, decoded, plus the closing CR LF.
  EXPECT_EQ(tree.at("Meetingon12042006/Meetingon12.04.2006.txt"),
            "Hi Per,\r\n\r\nthe meeting is in the caf\xE9 at ten. Bring the drafts.\r\n\r\n"
            "Eva\r\n\r\n");
  // Another client's layout: other boundaries, bare name= parameters, a two-paragraph
  // 7bit attachment and base64 running straight into the next delimiter.
  EXPECT_EQ(tree.at("Quarterlyreport/report.pdf"), original("report.pdf"));
  EXPECT_EQ(tree.at("Quarterlyreport/notes.txt"), original("notes.txt"));
  const std::string& text = tree.at("Quarterlyreport/Quarterlyreport.txt");
  EXPECT_EQ(text.rfind("Hi team,\r\n\r\nthe quarterly report is attached.\r\n", 0), 0u);
  EXPECT_FALSE(contains(text, "------------"));
  const std::string& otherHtml = tree.at("Quarterlyreport/Quarterlyreport.htm");
  EXPECT_EQ(otherHtml.rfind("<html>", 0), 0u);
  EXPECT_EQ(otherHtml.substr(otherHtml.size() - 9), "</html>\r\n");
}

TEST(EndToEnd, FolderOfMessagesWithOneSubjectGivesOneFolderEachAndTheSameLayoutTwice) {
  TempDir scratch;
  const fs::path in = scratch / "in";
  const fs::path out = scratch / "out";
  std::vector<std::string> pictures;
  // Listed out of order on purpose: the walk takes them by name.
  for (const char* name : {"c.eml", "a.EML", "b.nws"}) {
    pictures.push_back(binaryPayload(name[0], 2000));
    writeBytes(in / name, oeMessage("Hi", "image001.gif", pictures.back()));
  }
  writeBytes(in / "notes.txt", "not a message");
  std::map<std::string, std::string> first;
  for (int pass = 0; pass < 2; ++pass) {
    const auto run = runMailvane({"extract", "--no-text", "-o", out.string(), in.string()}, scratch);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto tree = treeOf(out);
    EXPECT_EQ(tree.at("Hi/image001.gif"), pictures[1]);   // a.EML
    EXPECT_EQ(tree.at("Hi1/image001.gif"), pictures[2]);  // b.nws
    EXPECT_EQ(tree.at("Hi2/image001.gif"), pictures[0]);  // c.eml
    // Each page shows its own picture: the cid link points at the file beside it.
    for (const char* folder : {"Hi", "Hi1", "Hi2"})
      EXPECT_TRUE(contains(tree.at(folder + std::string("/Hi.htm")), "src=\"image001.gif\""));
    // The second pass adds only a numbered page per folder and changes nothing written.
    EXPECT_EQ(tree.size(), pass == 0 ? 6u : 9u) << "pass " << pass;
    if (pass == 0) first = tree;
    for (const auto& [name, bytes] : first) EXPECT_EQ(tree.at(name), bytes) << name;
  }
}

TEST(EndToEnd, WithoutAnOutputFolderItWritesWhereTheDesktopProgramDoes) {
#ifndef MAILVANE_CLI_HAS_SETTINGS
  GTEST_SKIP() << "built without the settings store";
#endif
  TempDir home;
  const auto run = runMailvane({"extract", (dataDir() / "plain-text.eml").string()}, home,
                               {"HOME=" + home.path().string(),
                                "XDG_CONFIG_HOME=" + (home / "config").string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(home / "Documents" / "mailvane" / "Emails" / "Meetingon12042006" /
                         "Meetingon12.04.2006.txt"));
}

TEST(EndToEnd, OnlyAndUnsentAndFailureStatuses) {
  TempDir scratch;
  const fs::path out = scratch / "out";
  const std::string oe = (dataDir() / "oe-html-mail.eml").string();
  const std::string news = (dataDir() / "news-uuencode.nws").string();

  auto run = runMailvane({"extract", "--only", "sounds", "-o", out.string(), oe, news}, scratch);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(namesIn(treeOf(out)), (std::vector<std::string>{"Sounds/waves.wav"}));
  EXPECT_EQ(readBytes(out / "Sounds" / "waves.wav"), original("waves.wav"));

  run = runMailvane({"extract", "--unsent", "eml", "-o", out.string(), oe}, scratch);
  EXPECT_EQ(run.status, 0) << run.err;
  const auto unsent = runMailvane({"unsent", oe}, scratch);
  EXPECT_EQ(unsent.status, 0);
  EXPECT_EQ(readBytes(out / "Holidaypictures" / "Holidaypictures.eml"), unsent.out);

  const std::string missing = (scratch / "missing.eml").string();
  run = runMailvane({"extract", "-o", out.string(), missing, news}, scratch);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "mailvane: " + missing + ": no such file or folder\n");
  EXPECT_EQ(readBytes(out / "photooftheoldmill" / "mill.jpg"), original("mill.jpg"));

  run = runMailvane({"extract", "--only", "everything", news}, scratch);
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(contains(run.err, "--only"));

  run = runMailvane({"--help"}, scratch);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(contains(run.out, "extract"));
}

// `index` and `store` live in libraries of their own, loaded by the runs that need them.
TEST(EndToEnd, CommandsInLibrariesOfTheirOwnRunFromTheProgram) {
  TempDir scratch;
  const fs::path inbox = scratch / "store" / "Inbox";
  writeBytes(inbox / "1.eml", "Subject: Tulips in bloom\r\n\r\nbody\r\n");

  auto run = runMailvane({"store", "--root", (scratch / "store").string(), "folders"}, scratch);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "1\t1\tInbox\n");

  const std::string db = (scratch / "index.sqlite").string();
  run = runMailvane({"index", "update", "--db", db, inbox.string()}, scratch);
  EXPECT_EQ(run.status, 0) << run.err;
  run = runMailvane({"index", "search", "--db", db, "tulips"}, scratch);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(contains(run.out, "Tulips in bloom")) << run.out;

  run = runMailvane({"help", "store"}, scratch);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(contains(run.out, "Usage: mailvane store")) << run.out;
}

// Installed, only the program is in bin/; the libraries it loads at run time are in the
// private library folder, which it finds from its own place under any prefix.
TEST(EndToEnd, InstalledProgramFindsItsLibrariesInThePrivateFolder) {
  TempDir scratch;
  const fs::path bin = scratch / "prefix" / "bin";
  const fs::path lib = (bin / MAILVANE_LIBDIR_FROM_BINDIR).lexically_normal();
  fs::create_directories(bin);
  fs::create_directories(lib);
  fs::copy_file(fs::path(MAILVANE_BIN_DIR) / "mailvane", bin / "mailvane");
  fs::copy_file(fs::path(MAILVANE_BIN_DIR) / "libmailvane_command_store.so",
                lib / "libmailvane_command_store.so");
  writeBytes(scratch / "store" / "Inbox" / "1.eml", "Subject: Tulips\r\n\r\nbody\r\n");

  auto run = runMailvane({"store", "--root", (scratch / "store").string(), "folders"}, scratch,
                         {}, bin / "mailvane");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "1\t1\tInbox\n");
  // A library in neither place is reported where an installed program keeps it.
  run = runMailvane({"index", "search", "x"}, scratch, {}, bin / "mailvane");
  EXPECT_NE(run.status, 0);
  EXPECT_TRUE(contains(run.err, (lib / "libmailvane_command_index.so").string())) << run.err;
}

// Every run starts the program, often once per message: one that needs neither SQLite,
// GMime nor Qt must not load them.
TEST(EndToEnd, PlainRunsLoadNoLibrariesOfOtherCommands) {
  TempDir scratch;
  const auto run = runMailvane({"show", (dataDir() / "plain-text.eml").string()}, scratch,
                               {"LD_DEBUG=libs"});
  ASSERT_EQ(run.status, 0);
  ASSERT_TRUE(contains(run.err, "libc.so")) << "the loader reported nothing";
  for (const char* library : {"libsqlite3", "libgmime", "libQt6", "libglib"})
    EXPECT_FALSE(contains(run.err, library)) << library << " was loaded";
}

TEST(EndToEnd, StoreCommandFindsTheStoreOfTheSetting) {
#ifndef MAILVANE_CLI_HAS_SETTINGS
  GTEST_SKIP() << "built without the settings store";
#endif
  TempDir home;
  writeBytes(home / "mail" / "News" / "1.nws", "Subject: hello\r\n\r\nbody\r\n");
  writeBytes(home / "config" / "Mailvane" / "mailvane.conf",
             "[Settings]\nStore=" + (home / "mail").string() + "\n");
  const auto run = runMailvane({"store", "folders"}, home,
                               {"HOME=" + home.path().string(),
                                "XDG_CONFIG_HOME=" + (home / "config").string(),
                                "MAILVANE_REGISTRY=" + (home / "none.reg").string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "1\t1\tNews\n");
}

// A file system that fills up: a 64 KiB tmpfs where the test may mount one (as root),
// else a per-file size limit that every child inherits. Either way a write fails part way.
class SmallFileSystem {
 public:
  explicit SmallFileSystem(const fs::path& mountPoint) : path_(mountPoint) {
    fs::create_directories(path_);
    mounted_ = ::geteuid() == 0 && run("mount -t tmpfs -o size=64k tmpfs '" + path_.string() + "'");
    if (!mounted_) limit_.emplace();
  }
  ~SmallFileSystem() {
    if (mounted_) run("umount '" + path_.string() + "'");
  }
  // The cause goes away: room for everything.
  void grow() {
    if (mounted_) run("mount -o remount,size=4m '" + path_.string() + "'");
    limit_.reset();
  }
  const fs::path& path() const { return path_; }

 private:
  static bool run(const std::string& command) {
    return std::system((command + " 2>/dev/null").c_str()) == 0;
  }
  fs::path path_;
  bool mounted_ = false;
  std::optional<FileSizeLimit> limit_;
};

TEST(EndToEnd, AWriteThatFailsLeavesNoCutFileFailsTheMessageAndARetryWritesTheRest) {
  TempDir scratch;
  const std::string big = binaryPayload(7, 100000), small = "ABC";
  const fs::path message = scratch / "full.eml";
  writeBytes(message,
             "From: a@x\r\nSubject: Full disk\r\nMIME-Version: 1.0\r\n"
             "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n"
             "Content-Type: text/plain; charset=us-ascii\r\n\r\nhello\r\n--b\r\n"
             "Content-Type: application/octet-stream; name=\"data.bin\"\r\n"
             "Content-Transfer-Encoding: base64\r\n\r\n" + base64Lines(big) + "\r\n--b\r\n"
             "Content-Type: application/octet-stream; name=\"other.bin\"\r\n"
             "Content-Transfer-Encoding: base64\r\n\r\n" + base64Lines(small) + "\r\n--b--\r\n");
  SmallFileSystem disk(scratch / "disk");
  const std::vector<std::string> args = {"extract", "--unsent", "eml", "-o", disk.path().string(),
                                         message.string()};
  const auto first = runMailvane(args, scratch);
  EXPECT_EQ(first.status, 1);
  EXPECT_THAT(first.err, HasSubstr("full.eml"));
  EXPECT_THAT(first.err, HasSubstr("data.bin"));
  // What is there is whole; what could not be written is not there at all.
  auto tree = treeOf(disk.path());
  EXPECT_EQ(tree.count("Fulldisk/data.bin"), 0u);
  EXPECT_EQ(tree.at("Fulldisk/other.bin"), small);
  for (const auto& [name, bytes] : tree) EXPECT_THAT(name, Not(HasSubstr(".mailvane-")));

  disk.grow();
  const auto second = runMailvane(args, scratch);
  EXPECT_EQ(second.status, 0) << second.err;
  tree = treeOf(disk.path());
  EXPECT_EQ(tree.at("Fulldisk/data.bin"), big);
  EXPECT_EQ(tree.at("Fulldisk/other.bin"), small);
  EXPECT_EQ(tree.count("Fulldisk/Fulldisk.eml"), 1u);
  EXPECT_EQ(tree.at("Fulldisk/Fulldisk.htm"), "\r\n");
}

}  // namespace
}  // namespace mailvane
