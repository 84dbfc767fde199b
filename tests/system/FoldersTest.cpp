#include "system/BrowseForFolder.h"
#include "system/MemorySettings.h"
#include "system/OutputFolder.h"
#include "system/SettingsKeys.h"
#include "system/SpecialFolders.h"
#include "tests/system/SystemTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace mailvane::system;
using mailvane::system::test::EnvVar;
using mailvane::system::test::TempDir;
using mailvane::system::test::writeFile;
namespace fs = std::filesystem;

namespace {

class FoldersTest : public ::testing::Test {
 protected:
  TempDir dir{"folders"};
  std::string home = (dir / "home").string();
  EnvVar homeVar{"HOME", home};
  EnvVar config{"XDG_CONFIG_HOME", std::nullopt};
  EnvVar cache{"XDG_CACHE_HOME", std::nullopt};
};

class FakePicker : public FolderPicker {
 public:
  std::string answer;
  bool fail = false;
  std::string shownStart, shownTitle;

 protected:
  std::string showFolderDialog(const std::string& startFolder, const std::string& title) override {
    shownStart = startFolder;
    shownTitle = title;
    if (fail) throw std::runtime_error("no display");
    return answer;
  }
};

}  // namespace

TEST_F(FoldersTest, ProfileAndDocumentsFolderFollowingUserDirs) {
  EXPECT_EQ(GetSpecialFolder(kCsidlProfile), home + "/");
  for (int unknown : {0, 6, -1}) EXPECT_EQ(GetSpecialFolder(unknown), "") << unknown;
  EXPECT_EQ(GetSpecialFolder(kCsidlPersonal), home + "/Documents/");
  writeFile(dir / "home" / ".config" / "user-dirs.dirs",
            "# written by xdg-user-dirs-update\n"
            "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
            "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(GetSpecialFolder(kCsidlPersonal), home + "/Dokumente/");
  EnvVar other("XDG_CONFIG_HOME", (dir / "cfg").string());
  writeFile(dir / "cfg" / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/data/docs\"\n");
  EXPECT_EQ(GetSpecialFolder(kCsidlPersonal), "/data/docs/");
  // Pointing documents at the home folder means it is not set up.
  writeFile(dir / "cfg" / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
  EXPECT_EQ(GetSpecialFolder(kCsidlPersonal), home + "/Documents/");
}

TEST_F(FoldersTest, CacheFolderIsCreated) {
  EXPECT_EQ(GetSpecialFolder(kCsidlInternetCache), home + "/.cache/mailvane/");
  EXPECT_TRUE(fs::is_directory(home + "/.cache/mailvane"));
  EnvVar other("XDG_CACHE_HOME", (dir / "c").string());
  EXPECT_EQ(GetSpecialFolder(kCsidlInternetCache), (dir / "c").string() + "/mailvane/");
  EnvVar relative("XDG_CACHE_HOME", std::string("relative/cache"));
  EXPECT_EQ(GetSpecialFolder(kCsidlInternetCache), home + "/.cache/mailvane/");
}

TEST_F(FoldersTest, OutputFolderByDefaultBelowDocumentsElseFromTheSetting) {
  MemorySettings settings;
  const fs::path base = fs::path(home) / "Documents" / "mailvane";
  EXPECT_EQ(prepareOutputFolder(settings, "mailvane"), base / "Emails");
  EXPECT_TRUE(fs::is_directory(base / "Emails"));
  EXPECT_EQ(settings.value(kEmails, ""), base.string());
  // Once the base exists, an empty setting is not stored again.
  MemorySettings second;
  EXPECT_EQ(prepareOutputFolder(second, "mailvane"), base / "Emails");
  EXPECT_FALSE(second.contains(kEmails));

  // From the setting: its "Emails" sub-folder, made.
  second.setValue(kEmails, (dir / "out").string());
  EXPECT_EQ(prepareOutputFolder(second, "mailvane"), dir / "out" / "Emails");
  EXPECT_TRUE(fs::is_directory(dir / "out" / "Emails"));
  EXPECT_EQ(second.value(kEmails, ""), (dir / "out").string());
  second.setValue(kEmails, (dir / "kept" / "Emails").string());
  EXPECT_EQ(prepareOutputFolder(second, "mailvane"), dir / "kept" / "Emails");
  EXPECT_FALSE(fs::exists(dir / "kept"));  // used as set, not created
}

TEST(FolderPicker, AppliesTheTitleAndStartFolderRules) {
  FakePicker picker;
  picker.answer = "/home/ann/Mail/";
  EXPECT_EQ(picker.BrowseForFolder("/home/ann/Mail/", ""), "/home/ann/Mail");
  EXPECT_EQ(picker.shownStart, "/home/ann/Mail");
  EXPECT_EQ(picker.shownTitle, "Please, Select a folder.");
  picker.answer = "/";
  EXPECT_EQ(picker.BrowseForFolder("/", std::string(FolderPicker::kOutputFolderTitle)), "/");
  EXPECT_EQ(picker.shownStart, "/");
  EXPECT_EQ(picker.shownTitle, "Select the folder to where to save files.");
  picker.answer = "";
  EXPECT_EQ(picker.BrowseForFolder("", "t"), "");
  picker.fail = true;
  EXPECT_EQ(picker.BrowseForFolder("/x", "t"), "");
}

TEST(SettingsKeys, FlagsReadAsBooleans) {
  for (const char* yes : {"True", "true", " TRUE ", "1", "-1", "2.5"}) EXPECT_TRUE(settingIsTrue(yes)) << yes;
  for (const char* no : {"False", "0", "", "yes", "1x"}) EXPECT_FALSE(settingIsTrue(no)) << no;
  EXPECT_TRUE(settingIsTrue(kEmlNwsDefault));
  EXPECT_FALSE(settingIsTrue(kREDefault));
}
