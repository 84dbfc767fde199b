#include "system/WineRegistry.h"

#include "system/WineHive.h"
#include "tests/system/SystemTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

using namespace mailvane::system;
using mailvane::system::test::EnvVar;
using mailvane::system::test::readFile;
using mailvane::system::test::TempDir;
using mailvane::system::test::writeFile;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const std::string kUserHive =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n"
    "[Software\\\\Microsoft\\\\Windows Live Mail] 1700000000\n"
    "\"Store Root\"=str(2):\"%USERPROFILE%\\\\AppData\"\n"
    "\"Name\"=\"caf\\xe9\"\n"
    "\"Blob\"=hex:0a,ff,00\n"
    "\n"
    "[Software\\\\Zeta] 1700000000\n"
    "\n";

class WineRegistryTest : public ::testing::Test {
 protected:
  TempDir dir{"winereg"};
  std::filesystem::path user = dir / "user.reg";

  RegHandle open(WineRegistry& reg, RegHandle root, const char* path, std::uint32_t access = kKeyRead) {
    RegHandle key = 0;
    EXPECT_EQ(reg.RegOpenKeyExA(root, path, 0, access, &key), kErrorSuccess) << path;
    return key;
  }
  std::string query(WineRegistry& reg, RegHandle key, const char* name, std::uint32_t* type = nullptr) {
    std::uint32_t size = 0;
    if (reg.RegQueryValueExA(key, name, type, nullptr, &size) != kErrorSuccess) return "<none>";
    std::string data(size, '\0');
    EXPECT_EQ(reg.RegQueryValueExA(key, name, type, reinterpret_cast<std::uint8_t*>(data.data()), &size), kErrorSuccess);
    return data;
  }
};

}  // namespace

TEST_F(WineRegistryTest, AMissingHiveHasOnlyItsRootAndNoRemoteMachineIsReached) {
  WineRegistry reg(user);
  RegHandle key = 0;
  EXPECT_EQ(reg.RegConnectRegistryA("\\\\server", kHkeyLocalMachine, &key), kErrorBadNetpath);
  EXPECT_EQ(reg.RegOpenKeyExA(kHkeyCurrentUser, "Software\\Microsoft", 0, kKeyRead, &key), kErrorFileNotFound);
  key = open(reg, kHkeyCurrentUser, "");
  char name[16];
  std::uint32_t size = sizeof name;
  EXPECT_EQ(reg.RegEnumKeyExA(key, 0, name, &size), kErrorNoMoreItems);
  EXPECT_EQ(reg.RegCloseKey(key), kErrorSuccess);
  EXPECT_EQ(reg.RegCloseKey(key), kErrorInvalidHandle);
}

TEST_F(WineRegistryTest, QueriesFollowTheWindowsBufferRules) {
  writeFile(user, kUserHive);
  WineRegistry reg(user);
  const RegHandle key = open(reg, kHkeyCurrentUser, "software\\microsoft\\WINDOWS LIVE MAIL");
  std::uint32_t type = 0;
  EXPECT_EQ(query(reg, key, "store root", &type), std::string("%USERPROFILE%\\AppData") + '\0');
  EXPECT_EQ(type, kRegExpandSz);
  EXPECT_EQ(query(reg, key, "Name"), std::string("caf\xe9") + '\0');  // UTF-16 -> Windows-1252
  EXPECT_EQ(query(reg, key, "Blob"), std::string("\x0a\xff\x00", 3));
  EXPECT_EQ(query(reg, key, "Missing"), "<none>");

  std::uint8_t small[4];
  std::uint32_t size = sizeof small;
  EXPECT_EQ(reg.RegQueryValueExA(key, "Store Root", &type, small, &size), kErrorMoreData);
  EXPECT_EQ(size, 22u);
}

TEST_F(WineRegistryTest, EnumeratesSubkeysAndValues) {
  writeFile(user, kUserHive);
  WineRegistry reg(user);
  const RegHandle software = open(reg, kHkeyCurrentUser, "Software");
  char name[260];
  std::uint32_t size = sizeof name;
  ASSERT_EQ(reg.RegEnumKeyExA(software, 0, name, &size), kErrorSuccess);
  EXPECT_EQ(std::string(name, size), "Microsoft");
  size = 3;
  EXPECT_EQ(reg.RegEnumKeyExA(software, 1, name, &size), kErrorMoreData);  // "Zeta" needs 5
  size = sizeof name;
  EXPECT_EQ(reg.RegEnumKeyExA(software, 2, name, &size), kErrorNoMoreItems);

  const RegHandle live = open(reg, software, "Microsoft\\Windows Live Mail");
  std::uint8_t data[64];
  std::uint32_t type = 0, dataSize = sizeof data;
  size = sizeof name;
  ASSERT_EQ(reg.RegEnumValueA(live, 2, name, &size, &type, data, &dataSize), kErrorSuccess);
  EXPECT_EQ(std::string(name, size), "Blob");
  EXPECT_EQ(type, kRegBinary);
  EXPECT_EQ(dataSize, 3u);
  size = sizeof name;
  EXPECT_EQ(reg.RegEnumValueA(live, 3, name, &size, &type, data, &dataSize), kErrorNoMoreItems);
}

TEST_F(WineRegistryTest, ChangesAreWrittenBackAndLeaveOtherValuesIntact) {
  writeFile(user, kUserHive);
  ::chmod(user.c_str(), 0600);
  WineRegistry reg(user);
  const RegHandle key = open(reg, kHkeyCurrentUser, "Software\\Microsoft\\Windows Live Mail", kKeyAllAccess);
  const std::string text = std::string("new \"v\" \xe9") + '\0';
  ASSERT_EQ(reg.RegSetValueExA(key, "Added", kRegSz, reinterpret_cast<const std::uint8_t*>(text.data()),
                               static_cast<std::uint32_t>(text.size())),
            kErrorSuccess);
  ASSERT_EQ(reg.RegDeleteValueA(key, "blob"), kErrorSuccess);
  EXPECT_EQ(reg.RegDeleteValueA(key, "blob"), kErrorFileNotFound);

  const std::string written = readFile(user);
  EXPECT_THAT(written, HasSubstr("\"Added\"=\"new \\\"v\\\" \\xe9\"\n"));
  EXPECT_THAT(written, Not(HasSubstr("Blob")));
  std::string expected = kUserHive;
  expected.erase(expected.find("\"Blob\""), std::string("\"Blob\"=hex:0a,ff,00\n").size());
  expected.insert(expected.find("\n[Software\\\\Zeta"), "\"Added\"=\"new \\\"v\\\" \\xe9\"\n");
  EXPECT_EQ(written, expected);
  struct stat st {};
  ASSERT_EQ(::stat(user.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  // A second registry object (a second window) sees the change at once.
  WineRegistry other(user);
  EXPECT_EQ(query(other, open(other, kHkeyCurrentUser, "Software\\Microsoft\\Windows Live Mail"), "added"), text);
}

TEST_F(WineRegistryTest, KeysAreCreatedAndDeletedLikeWindowsDoes) {
  WineRegistry reg(user);
  RegHandle key = 0;
  std::uint32_t disposition = 0;
  ASSERT_EQ(reg.RegCreateKeyExA(kHkeyCurrentUser, "Software\\Mailvane\\Test", 0, kKeyAllAccess, &key, &disposition), kErrorSuccess);
  EXPECT_EQ(disposition, kRegCreatedNewKey);
  ASSERT_TRUE(std::filesystem::exists(user));  // a missing hive is created in an existing folder
  ASSERT_EQ(reg.RegCreateKeyExA(kHkeyCurrentUser, "software\\mailvane", 0, kKeyAllAccess, &key, &disposition), kErrorSuccess);
  EXPECT_EQ(disposition, kRegOpenedExistingKey);
  EXPECT_EQ(reg.RegDeleteKeyA(kHkeyCurrentUser, "Software\\Mailvane"), kErrorAccessDenied);  // has a subkey
  EXPECT_EQ(reg.RegDeleteKeyA(kHkeyCurrentUser, "Software\\Mailvane\\Test"), kErrorSuccess);
  EXPECT_EQ(reg.RegDeleteKeyA(kHkeyCurrentUser, "Software\\Mailvane\\Test"), kErrorFileNotFound);
  WineRegistry reread(user);
  RegHandle parent = 0;
  EXPECT_EQ(reread.RegOpenKeyExA(kHkeyCurrentUser, "Software\\Mailvane", 0, kKeyRead, &parent), kErrorSuccess);
}

TEST_F(WineRegistryTest, AHiveReachedThroughALinkStaysALink) {
  writeFile(dir / "real" / "user.reg", kUserHive);
  std::filesystem::create_symlink(dir / "real" / "user.reg", user);
  WineRegistry reg(user);
  const RegHandle key = open(reg, kHkeyCurrentUser, "Software\\Zeta", kKeyAllAccess);
  const std::uint8_t one[4] = {1, 0, 0, 0};
  ASSERT_EQ(reg.RegSetValueExA(key, "n", kRegDword, one, 4), kErrorSuccess);
  EXPECT_TRUE(std::filesystem::is_symlink(user));
  EXPECT_THAT(readFile(dir / "real" / "user.reg"), HasSubstr("\"n\"=dword:00000001"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "real"), {}), 1);  // no temporary left
}

TEST_F(WineRegistryTest, AccessIsCheckedAgainstTheOpenMask) {
  writeFile(user, kUserHive);
  WineRegistry reg(user);
  const RegHandle readOnly = open(reg, kHkeyCurrentUser, "Software\\Zeta", kKeyRead);
  const std::uint8_t one[4] = {1, 0, 0, 0};
  EXPECT_EQ(reg.RegSetValueExA(readOnly, "x", kRegDword, one, 4), kErrorAccessDenied);
  const RegHandle writeOnly = open(reg, kHkeyCurrentUser, "Software\\Zeta", kKeyWrite);
  std::uint32_t size = 0;
  EXPECT_EQ(reg.RegQueryValueExA(writeOnly, "x", nullptr, nullptr, &size), kErrorAccessDenied);
  EXPECT_EQ(readFile(user), kUserHive);
}

TEST_F(WineRegistryTest, AFileThatIsNoHiveIsNeverOverwritten) {
  const std::string notAHive = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\"a\"=\"b\"\n";
  writeFile(user, notAHive);
  WineRegistry reg(user);
  RegHandle key = 0;
  EXPECT_EQ(reg.RegCreateKeyExA(kHkeyCurrentUser, "Software\\X", 0, kKeyAllAccess, &key, nullptr), kErrorBadDb);
  EXPECT_EQ(readFile(user), notAHive);

  WineRegistry nowhere(dir / "no such folder" / "user.reg");
  EXPECT_EQ(nowhere.RegCreateKeyExA(kHkeyCurrentUser, "Software\\X", 0, kKeyAllAccess, &key, nullptr), kErrorPathNotFound);
  EXPECT_FALSE(std::filesystem::exists(dir / "no such folder"));
}

TEST_F(WineRegistryTest, RereadsAHiveThatChangedOnDisk) {
  writeFile(user, kUserHive);
  WineRegistry reg(user);
  const RegHandle key = open(reg, kHkeyCurrentUser, "Software\\Zeta");
  EXPECT_EQ(query(reg, key, "late"), "<none>");
  writeFile(user, kUserHive + "[Software\\\\Zeta] 1\n\"late\"=dword:00000007\n");
  EXPECT_EQ(query(reg, key, "late"), std::string("\x07\x00\x00\x00", 4));
}

TEST_F(WineRegistryTest, LocalMachineComesFromSystemRegBeside) {
  writeFile(dir / "system.reg", "WINE REGISTRY Version 2\n[Software\\\\Vendor] 1\n\"v\"=\"m\"\n");
  WineRegistry reg(user);
  EXPECT_EQ(query(reg, open(reg, kHkeyLocalMachine, "Software\\Vendor"), "v"), std::string("m") + '\0');
  RegHandle key = 0;
  EXPECT_EQ(reg.RegOpenKeyExA(kHkeyCurrentUser, "Software\\Vendor", 0, kKeyRead, &key), kErrorFileNotFound);
  EXPECT_EQ(reg.RegOpenKeyExA(kHkeyUsers, "", 0, kKeyRead, &key), kErrorFileNotFound);
}

TEST_F(WineRegistryTest, ExpandsEnvironmentReferences) {
  EnvVar env("MAILVANE_TEST_PLACE", std::string("/srv/mail"));
  WineRegistry reg(user);
  const std::string source = "%MAILVANE_TEST_PLACE%\\x %NOT_SET_ANYWHERE% 100%";
  const std::string expected = "/srv/mail\\x %NOT_SET_ANYWHERE% 100%";
  const std::uint32_t needed = reg.ExpandEnvironmentStringsA(source, nullptr, 0);
  EXPECT_EQ(needed, expected.size() + 1);
  std::string buffer(needed, '#');
  EXPECT_EQ(reg.ExpandEnvironmentStringsA(source, buffer.data(), 4), needed);
  EXPECT_EQ(buffer, std::string(needed, '#'));  // too small: nothing written
  reg.ExpandEnvironmentStringsA(source, buffer.data(), needed);
  EXPECT_EQ(buffer, expected + '\0');
}

TEST_F(WineRegistryTest, DefaultHiveComesFromTheEnvironment) {
  {
    EnvVar reg("MAILVANE_REGISTRY", std::string("/x/my.reg"));
    EXPECT_EQ(WineRegistry::defaultUserHive(), "/x/my.reg");
    EXPECT_EQ(WineRegistry().winePrefix(), "/x");
  }
  EnvVar reg("MAILVANE_REGISTRY", std::nullopt);
  EnvVar prefix("WINEPREFIX", std::nullopt);
  EnvVar home("HOME", std::string("/home/ann"));
  EXPECT_EQ(WineRegistry::defaultUserHive(), "/home/ann/.wine/user.reg");
}
