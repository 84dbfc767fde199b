#include "system/StoreRoot.h"

#include "system/WineRegistry.h"
#include "tests/system/SystemTestSupport.h"

#include <gtest/gtest.h>

using namespace mailvane::system;
using mailvane::system::test::EnvVar;
using mailvane::system::test::TempDir;
using mailvane::system::test::writeFile;
namespace fs = std::filesystem;

namespace {

std::string hive(const std::string& body) { return "WINE REGISTRY Version 2\n\n" + body; }

const std::string kLiveMail =
    "[Software\\\\Microsoft\\\\Windows Live Mail] 1\n"
    "\"Store Root\"=str(2):\"%USERPROFILE%\\\\AppData\\\\Local\\\\Microsoft\\\\Windows Live Mail\"\n";
const std::string kWindowsMailKey =
    "[Software\\\\Microsoft\\\\Windows Mail] 1\n"
    "\"Store Root\"=str(2):\"%USERPROFILE%\\\\Mail Store\"\n";
const std::string kProfileList =
    "[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\ProfileList\\\\S-1-5-18] 1\n"
    "\"ProfileImagePath\"=\"C:\\\\windows\\\\system32\\\\config\\\\systemprofile\"\n"
    "[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\ProfileList\\\\S-1-5-21-0-0-0-1000] 1\n"
    "\"ProfileImagePath\"=\"C:\\\\users\\\\ann\"\n";

class StoreRootTest : public ::testing::Test {
 protected:
  TempDir dir{"storeroot"};
  fs::path prefix = dir / "prefix";
  fs::path home = dir / "home";

  void makePrefix() {
    fs::create_directories(prefix / "drive_c" / "users" / "ann" / "AppData" / "Local" / "Microsoft" / "Windows Live Mail");
    fs::create_directories(prefix / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    writeFile(prefix / "system.reg", hive(kProfileList));
  }
  fs::path lookup(std::string_view subkey) {
    WineRegistry registry(prefix / "user.reg");
    return StoreRoot(registry, subkey, prefix, home.string() + "/");
  }
};

}  // namespace

TEST_F(StoreRootTest, UnderWineTheStoreIsInsideThePrefixWhateverTheLetterCase) {
  makePrefix();
  const fs::path profile = fs::canonical(prefix / "drive_c") / "users" / "ann";
  const fs::path live = profile / "AppData" / "Local" / "Microsoft" / "Windows Live Mail";
  writeFile(prefix / "user.reg", hive(kLiveMail));
  EXPECT_EQ(lookup(kWindowsLiveMail), live);
  writeFile(prefix / "user.reg",
            hive("[Software\\\\Microsoft\\\\Windows Live Mail] 1\n"
                 "\"Store Root\"=\"%USERPROFILE%\\\\APPDATA\\\\local\\\\Microsoft\\\\Windows Live Mail"
                 "\\\\New\"\n"));
  EXPECT_EQ(lookup(kWindowsLiveMail), live / "New");
  // Without a profile list the profile comes from the shell folders.
  fs::remove(prefix / "system.reg");
  writeFile(prefix / "user.reg",
            hive(kWindowsMailKey +
                 "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders] 1\n"
                 "\"Local AppData\"=\"C:\\\\users\\\\ann\\\\AppData\\\\Local\"\n"));
  EXPECT_EQ(lookup(kWindowsMail), profile / "Mail Store");
}

TEST_F(StoreRootTest, WithoutAWineProfileTheHomeFolderStandsIn) {
  writeFile(prefix / "user.reg", hive(kLiveMail + kWindowsMailKey));
  EXPECT_EQ(lookup(kWindowsLiveMail), home / "AppData" / "Local" / "Microsoft" / "Windows Live Mail");
  EXPECT_EQ(lookup(kWindowsMail), home / "Mail Store");
  // A profile that the prefix names but does not hold is no better than none.
  writeFile(prefix / "system.reg", hive(kProfileList));
  EXPECT_EQ(lookup(kWindowsMail), home / "Mail Store");
}

TEST_F(StoreRootTest, OnlyValuesHoldingTheProfileReferenceCount) {
  writeFile(prefix / "user.reg",
            hive("[Software\\\\Microsoft\\\\Windows Live Mail] 1\n"
                 "\"Store Root\"=\"%userprofile%\\\\Mail\"\n"
                 "[Software\\\\Microsoft\\\\Windows Mail] 1\n"
                 "\"Store Root\"=\"D:\\\\Mail\"\n"));
  EXPECT_TRUE(lookup(kWindowsLiveMail).empty());  // letter case must match
  EXPECT_TRUE(lookup(kWindowsMail).empty());
  fs::remove(prefix / "user.reg");
  EXPECT_TRUE(lookup(kWindowsLiveMail).empty());
}

TEST_F(StoreRootTest, FirstStoreRootTriesLiveMailThenWindowsMail) {
  writeFile(prefix / "user.reg", hive(kWindowsMailKey));
  EnvVar reg("MAILVANE_REGISTRY", (prefix / "user.reg").string());
  EnvVar homeVar("HOME", home.string());
  EXPECT_EQ(StoreRoot(kWindowsLiveMail), fs::path());
  EXPECT_EQ(firstStoreRoot(), home / "Mail Store");
  writeFile(prefix / "user.reg", hive(kLiveMail + kWindowsMailKey));
  EXPECT_EQ(firstStoreRoot(), home / "AppData" / "Local" / "Microsoft" / "Windows Live Mail");
}

TEST_F(StoreRootTest, ProfileFolderIsThePrefixProfileWhenThePrefixHoldsIt) {
  writeFile(prefix / "user.reg", hive(""));
  writeFile(prefix / "system.reg", hive(kProfileList));
  WineRegistry registry(prefix / "user.reg");
  // Named by the prefix but not there: the home folder, without its trailing separator.
  EXPECT_EQ(profileFolder(registry, prefix, home.string() + "/"), home.string());
  makePrefix();
  EXPECT_EQ(profileFolder(registry, prefix, home), "C:\\users\\ann");
}

TEST_F(StoreRootTest, MapsWindowsPaths) {
  makePrefix();
  const fs::path c = fs::canonical(prefix / "drive_c");
  EXPECT_EQ(mapWindowsPath("C:\\USERS\\Ann", prefix), c / "users" / "ann");
  EXPECT_EQ(mapWindowsPath("c:", prefix), c);
  EXPECT_EQ(mapWindowsPath("Q:\\x", prefix), fs::path());  // no such drive
  EXPECT_EQ(mapWindowsPath("/home/x\\y", prefix), "/home/x/y");
}
