#include "system/RegClass.h"

#include "system/WineRegistry.h"
#include "tests/system/SystemTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace mailvane::system;
using mailvane::system::test::EnvVar;
using mailvane::system::test::readFile;
using mailvane::system::test::TempDir;
using mailvane::system::test::writeFile;
using ::testing::_;
using ::testing::DoAll;
using ::testing::HasSubstr;
using ::testing::Return;
using ::testing::SetArgPointee;

namespace {

class MockRegistry : public RegistryApi {
 public:
  MOCK_METHOD(RegStatus, RegOpenKeyExA, (RegHandle, std::string_view, std::uint32_t, std::uint32_t, RegHandle*), (override));
  MOCK_METHOD(RegStatus, RegQueryValueExA, (RegHandle, std::string_view, std::uint32_t*, std::uint8_t*, std::uint32_t*), (override));
  MOCK_METHOD(RegStatus, RegSetValueExA, (RegHandle, std::string_view, std::uint32_t, const std::uint8_t*, std::uint32_t), (override));
  MOCK_METHOD(RegStatus, RegCreateKeyExA, (RegHandle, std::string_view, std::uint32_t, std::uint32_t, RegHandle*, std::uint32_t*), (override));
  MOCK_METHOD(RegStatus, RegDeleteKeyA, (RegHandle, std::string_view), (override));
  MOCK_METHOD(RegStatus, RegDeleteValueA, (RegHandle, std::string_view), (override));
  MOCK_METHOD(RegStatus, RegEnumKeyExA, (RegHandle, std::uint32_t, char*, std::uint32_t*), (override));
  MOCK_METHOD(RegStatus, RegEnumValueA, (RegHandle, std::uint32_t, char*, std::uint32_t*, std::uint32_t*, std::uint8_t*, std::uint32_t*), (override));
  MOCK_METHOD(RegStatus, RegConnectRegistryA, (std::string_view, RegHandle, RegHandle*), (override));
  MOCK_METHOD(RegStatus, RegCloseKey, (RegHandle), (override));
  MOCK_METHOD(std::uint32_t, ExpandEnvironmentStringsA, (std::string_view, char*, std::uint32_t), (override));
};

// A hive holding one value of every kind the class converts.
const std::string kHive =
    "WINE REGISTRY Version 2\n"
    "[Software\\\\Microsoft\\\\Windows Live Mail] 1\n"
    "\"Store Root\"=str(2):\"%USERPROFILE%\\\\AppData\\\\Local\\\\Microsoft\\\\Windows Live Mail\"\n"
    "\"Empty\"=hex(1):\n"
    "\"NoNul\"=hex(1):61,00,62,00\n"
    "\"Blob\"=hex:0a,ff,00\n"
    "\"Count\"=dword:fffffffe\n"
    "\"Short\"=hex(4):05\n"
    "\"Multi\"=str(7):\"a\\0b\\0\"\n"
    "\"EmptyMulti\"=hex(7):00,00,00,00\n"
    "\"Other\"=hex(8):01\n"
    "\"Place\"=str(2):\"%MAILVANE_TEST_ROOT%\\\\Mail\"\n";

class RegClassTest : public ::testing::Test {
 protected:
  RegClassTest() {
    writeFile(dir / "user.reg", kHive);
    reg.hkey = kHkeyCurrentUser;
    reg.KeyRoot = "Software\\Microsoft";
    reg.Subkey = "Windows Live Mail";
  }
  TempDir dir{"regclass"};
  WineRegistry registry{dir / "user.reg"};
  RegClass reg{registry};
};

}  // namespace

TEST_F(RegClassTest, ConvertsEachStoredKindAndGivesTheDefaultForWhatItCannotRead) {
  EXPECT_TRUE(reg.KeyExists());
  const struct {
    const char* name;
    RegValue expected;
  } cases[] = {
      // Not expanded.
      {"Store Root", RegValue("%USERPROFILE%\\AppData\\Local\\Microsoft\\Windows Live Mail")},
      {"Blob", RegValue(RegValue::Bytes{0x0A, 0xFF, 0x00})},
      {"Count", RegValue(std::int32_t{-2})},
      {"Short", RegValue(std::int32_t{5})},
      {"Multi", RegValue(std::string("a\0b", 3))},
      {"NoNul", RegValue("ab")},  // a text stored without its NUL keeps its last letter
      {"Nope", RegValue("dflt")},
      {"Empty", RegValue("dflt")},       // size 0
      {"EmptyMulti", RegValue("dflt")},  // no first string
      {"Other", RegValue("dflt")},       // unknown type
  };
  for (const auto& c : cases) EXPECT_EQ(reg.GetRegistryValue(c.name, "dflt"), c.expected) << c.name;
  EXPECT_TRUE(reg.GetRegistryValue("Nope").isEmpty());
  reg.Subkey = "Windows Mail";
  EXPECT_FALSE(reg.KeyExists());
  EXPECT_EQ(reg.GetRegistryValue("Store Root", 7), RegValue(std::int32_t{7}));
}

TEST_F(RegClassTest, EnumeratesKeysOfAnyRootAndValuesAsDisplayTexts) {
  EXPECT_EQ(reg.EnumRegistryKeys(kHkeyCurrentUser, ""), (std::vector<std::string>{"Software"}));
  EXPECT_EQ(reg.EnumRegistryKeys(kHkeyCurrentUser, "Software"), (std::vector<std::string>{"Microsoft"}));
  EXPECT_TRUE(reg.EnumRegistryKeys(kHkeyLocalMachine, "Software").empty());

  EnvVar root("MAILVANE_TEST_ROOT", std::string("/a/much/longer/folder/than/the/reference"));
  const auto values = reg.EnumRegistryValues(kHkeyCurrentUser, "Software\\Microsoft\\Windows Live Mail");
  std::map<std::string, RegValue> byName(values.begin(), values.end());
  ASSERT_EQ(values.size(), 10u);
  EXPECT_EQ(values[0].first, "Store Root");
  EXPECT_EQ(byName["Blob"], RegValue("0A FF 00"));
  EXPECT_EQ(byName["Multi"], RegValue("a,b"));
  EXPECT_EQ(byName["Count"], RegValue(std::int32_t{-2}));
  EXPECT_EQ(byName["Empty"], RegValue(""));
  EXPECT_EQ(byName["NoNul"], RegValue("ab"));
  EXPECT_TRUE(byName["Other"].isEmpty());
  // Expanded even though the result is longer than the stored text.
  EXPECT_EQ(byName["Place"], RegValue("/a/much/longer/folder/than/the/reference\\Mail"));
  EXPECT_TRUE(reg.EnumRegistryValues(kHkeyCurrentUser, "Software\\Nope").empty());
}

TEST_F(RegClassTest, ValuesLongerThanTheFirstReadComeWhole) {
  const std::string longText(3000, 'x');
  ASSERT_TRUE(reg.SetRegistryValue("Long", longText, kRegSz));
  EXPECT_EQ(reg.GetRegistryValue("Long"), RegValue(longText));
  const std::string longName(300, 'n');
  ASSERT_TRUE(reg.SetRegistryValue(longName, longText, kRegExpandSz));
  const auto values = reg.EnumRegistryValues(kHkeyCurrentUser, "Software\\Microsoft\\Windows Live Mail");
  ASSERT_EQ(values.size(), 12u);  // a long name does not end the listing
  EXPECT_EQ(values[11].first, longName);
  EXPECT_EQ(values[11].second, RegValue(longText));
}

TEST(RegClassQueries, AFailedSecondQueryLeavesTheDefault) {
  MockRegistry api;
  RegClass reg(api);
  EXPECT_CALL(api, RegOpenKeyExA(_, _, _, _, _)).WillOnce(DoAll(SetArgPointee<4>(1), Return(kErrorSuccess)));
  // The value grew between the two queries: nothing valid was read.
  EXPECT_CALL(api, RegQueryValueExA(_, _, _, _, _))
      .Times(2)
      .WillRepeatedly([](RegHandle, std::string_view, std::uint32_t* type, std::uint8_t*, std::uint32_t* size) {
        *type = kRegBinary;
        *size += 4096;
        return kErrorMoreData;
      });
  EXPECT_CALL(api, RegCloseKey(1)).WillOnce(Return(kErrorSuccess));
  EXPECT_EQ(reg.GetRegistryValue("x", "dflt"), RegValue("dflt"));
}

TEST_F(RegClassTest, WrittenValuesReadBackWhole) {
  const struct {
    const char* name;
    RegValue value;
    std::uint32_t type;
  } written[] = {{"Text", "abc", kRegSz},
                 {"Expand", "%HOME%\\x", kRegExpandSz},
                 {"Bytes", RegValue(RegValue::Bytes{1, 2, 0}), kRegBinary},
                 {"Number", std::int32_t{-5}, kRegDword},
                 {"Parts", std::string("a\0b", 3), kRegMultiSz}};
  for (const auto& w : written) {
    ASSERT_TRUE(reg.SetRegistryValue(w.name, w.value, w.type)) << w.name;
  }
  EXPECT_FALSE(reg.SetRegistryValue("Odd", "x", 11));  // nothing written is no success
  WineRegistry fresh(dir / "user.reg");
  RegClass again(fresh);
  again.KeyRoot = reg.KeyRoot;
  again.Subkey = reg.Subkey;
  for (const auto& w : written) EXPECT_EQ(again.GetRegistryValue(w.name), w.value) << w.name;
  EXPECT_TRUE(again.GetRegistryValue("Odd").isEmpty());
  const std::string file = readFile(dir / "user.reg");
  EXPECT_THAT(file, HasSubstr("\"Text\"=\"abc\"\n"));
  EXPECT_THAT(file, HasSubstr("\"Parts\"=str(7):\"a\\0b\\0\"\n"));

  reg.Subkey = "Nowhere";
  EXPECT_FALSE(reg.SetRegistryValue("Text", "abc", kRegSz));
}

TEST_F(RegClassTest, CreatesAndDeletesKeysAndValues) {
  EXPECT_EQ(reg.CreateKey("Windows Mail"), "0");
  reg.Subkey = "Windows Mail";
  EXPECT_TRUE(reg.KeyExists());
  EXPECT_EQ(reg.CreateKey(), "0");  // already there
  ASSERT_TRUE(reg.SetRegistryValue("v", "1", kRegSz));
  EXPECT_EQ(reg.DeleteValue("v"), kErrorSuccess);
  EXPECT_EQ(reg.DeleteValue("v"), kErrorFileNotFound);
  EXPECT_EQ(reg.DeleteKey("Windows Mail"), kErrorSuccess);
  EXPECT_EQ(reg.DeleteKey("Windows Mail"), kErrorFileNotFound);
  EXPECT_EQ(reg.DeleteValue("v"), kErrorFileNotFound);  // the key is gone
  EXPECT_FALSE(reg.KeyExists());

  WineRegistry nowhere(dir / "missing folder" / "user.reg");
  RegClass lost(nowhere);
  lost.KeyRoot = "Software";
  EXPECT_EQ(lost.CreateKey("X"), "");
}

TEST_F(RegClassTest, RemoteAccessFailsAsAFailedConnection) {
  EXPECT_EQ(reg.ReadRemoteRegistryValue("\\\\server", kHkeyCurrentUser, "Store Root"), RegValue("Error!"));
  EXPECT_FALSE(reg.WriteRemoteRegistryValue("\\\\server", kHkeyCurrentUser, "x", "y", kRegSz, "Software"));
}

TEST(RegClassQueries, RemoteReadsUseTheGivenKeyPath) {
  MockRegistry api;
  RegClass reg(api);
  EXPECT_CALL(api, RegConnectRegistryA("pc", kHkeyLocalMachine, _)).WillOnce(DoAll(SetArgPointee<2>(7), Return(kErrorSuccess)));
  EXPECT_CALL(api, RegOpenKeyExA(7, "Other\\Path", 0, kKeyAllAccess, _)).WillOnce(Return(kErrorFileNotFound));
  EXPECT_CALL(api, RegCloseKey(7)).WillOnce(Return(kErrorSuccess));
  EXPECT_TRUE(reg.ReadRemoteRegistryValue("pc", kHkeyLocalMachine, "v", "Other\\Path").isEmpty());
}

TEST(RegClassTrimNull, CutsAtTheFirstNul) {
  EXPECT_EQ(RegClass::TrimNull(std::string("abc\0def", 7)), "abc");
  EXPECT_EQ(RegClass::TrimNull("abc"), "abc");
  EXPECT_EQ(RegClass::TrimNull(std::string(1, '\0')), "");
  std::string longText(40000, 'x');
  longText[39000] = '\0';
  EXPECT_EQ(RegClass::TrimNull(longText).size(), 39000u);
}
