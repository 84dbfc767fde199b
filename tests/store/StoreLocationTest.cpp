// Where the store is: environment, setting, then the registry of a Wine prefix.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "store/StoreLocation.h"
#include "system/WineRegistry.h"
#include "tests/store/StoreTestSupport.h"

namespace mailvane::store {
namespace {

using ::testing::HasSubstr;

namespace fs = std::filesystem;

const std::string kIdentity =
    "[Identities] 1\n"
    "\"Default User ID\"=\"{0A1B2C3D-0000-0000-0000-000000000001}\"\n";

std::string outlookExpressKey(const std::string& storeRoot) {
  return "[Identities\\\\{0A1B2C3D-0000-0000-0000-000000000001}\\\\Software\\\\Microsoft\\\\"
         "Outlook Express\\\\5.0] 1\n\"Store Root\"=str(2):\"" + storeRoot + "\"\n";
}

const std::string kLiveMail =
    "[Software\\\\Microsoft\\\\Windows Live Mail] 1\n"
    "\"Store Root\"=str(2):\"%USERPROFILE%\\\\Live Mail\"\n";

class StoreLocationTest : public ::testing::Test {
 protected:
  test::TempDir dir{"store_location"};
  fs::path prefix = dir / "prefix";
  fs::path home = dir / "home";

  StoreLocation find(const std::string& hive, const std::string& environment = "",
                     const std::string& setting = "") {
    test::writeFile(prefix / "user.reg", "WINE REGISTRY Version 2\n\n" + hive);
    system::WineRegistry registry(prefix / "user.reg");
    return findStore({environment, setting, &registry, prefix, home});
  }
};

TEST_F(StoreLocationTest, EnvironmentThenSettingComeFirstAsGiven) {
  fs::create_directories(prefix / "drive_c" / "Mail");
  const std::string hive = kIdentity + outlookExpressKey("C:\\\\Mail");
  EXPECT_EQ(find(hive, "/srv/store", "/elsewhere").root, "/srv/store");
  EXPECT_EQ(find(hive, "/srv/store").foundBy, "MAILVANE_STORE");
  EXPECT_EQ(find(hive, "", "/elsewhere").root, "/elsewhere");
  // A Windows path in the setting is mapped through the prefix.
  EXPECT_EQ(find(hive, "", "c:\\mail").root, fs::canonical(prefix / "drive_c") / "Mail");
}

TEST_F(StoreLocationTest, OutlookExpressIdentityStoreRoot) {
  const fs::path store = home / "Local Settings" / "Identities" / "Outlook Express";
  fs::create_directories(store);
  const std::string hive =
      kIdentity + outlookExpressKey("%UserProfile%\\\\Local Settings\\\\Identities\\\\Outlook Express");
  const StoreLocation found = find(hive + kLiveMail);
  EXPECT_EQ(found.root, store);
  EXPECT_THAT(found.foundBy, HasSubstr("Outlook Express"));

  // A drive path resolves through the prefix.
  fs::create_directories(prefix / "drive_c" / "OE Store");
  EXPECT_EQ(find(kIdentity + outlookExpressKey("C:\\\\OE Store")).root,
            fs::canonical(prefix / "drive_c") / "OE Store");
}

// A Wine prefix records its user's profile folder; "%UserProfile%" means that folder when
// the prefix holds it, and the home folder otherwise.
TEST_F(StoreLocationTest, ProfileOfTheWinePrefixWhenItExists) {
  test::writeFile(prefix / "system.reg",
                  "WINE REGISTRY Version 2\n\n"
                  "[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\ProfileList\\\\"
                  "S-1-5-21-0-0-0-1000] 1\n"
                  "\"ProfileImagePath\"=\"C:\\\\users\\\\ann\"\n");
  const std::string hive =
      kIdentity + outlookExpressKey("%USERPROFILE%\\\\Local Settings\\\\Outlook Express") + kLiveMail;
  const fs::path inHome = home / "Local Settings" / "Outlook Express";
  fs::create_directories(inHome);
  fs::create_directories(home / "Live Mail");
  EXPECT_EQ(find(hive).root, inHome);  // the prefix does not hold C:\users\ann

  fs::create_directories(prefix / "drive_c" / "users" / "ann" / "local settings" / "Outlook Express");
  const fs::path profile = fs::canonical(prefix / "drive_c") / "users" / "ann";
  EXPECT_EQ(find(hive).root, profile / "local settings" / "Outlook Express");
  // The same profile serves the Live Mail store, which is not there: no store at all
  // rather than the one in the home folder.
  EXPECT_TRUE(find(kIdentity + kLiveMail).root.empty());
  fs::create_directories(profile / "Live Mail");
  EXPECT_EQ(find(kIdentity + kLiveMail).root, profile / "Live Mail");
}

TEST_F(StoreLocationTest, MissingOutlookExpressStoreFallsToLiveMail) {
  fs::create_directories(home / "Live Mail");
  EXPECT_EQ(find(kIdentity + outlookExpressKey("C:\\\\Gone") + kLiveMail).root, home / "Live Mail");
  // An identity without a store key, or no identity at all, is no store either.
  EXPECT_EQ(find(kIdentity + kLiveMail).root, home / "Live Mail");
  fs::remove(home / "Live Mail");
  EXPECT_TRUE(find(kIdentity + kLiveMail).root.empty());
  EXPECT_TRUE(find("").root.empty());
}

}  // namespace
}  // namespace mailvane::store
