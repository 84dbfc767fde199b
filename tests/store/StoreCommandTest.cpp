// `mailvane store`, run in-process over a store built in a temporary folder.
#include <gtest/gtest.h>

#include "cli/ModuleCommands.h"
#include "tests/cli/CliTestSupport.h"
#include "tests/store/StoreTestSupport.h"

namespace mailvane {
namespace {

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

TEST_F(StoreCommand, BadArgumentsAndMissingFoldersAreReported) {
  const std::string root = dir.path().string();
  EXPECT_EQ(mailvaneStore({"--root", root}).status, 2);
  EXPECT_EQ(mailvaneStore({"--root", root, "list", "x1"}).status, 2);
  EXPECT_EQ(mailvaneStore({"--root"}).status, 2);
  const auto missing = mailvaneStore({"--root", root, "list", "99"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("no folder 99"), std::string::npos);
  EXPECT_EQ(mailvaneStore({"--root", (dir / "nothing").string(), "folders"}).status, 1);
  EXPECT_EQ(mailvaneStore({"--help"}).status, 0);
}

}  // namespace
}  // namespace mailvane
