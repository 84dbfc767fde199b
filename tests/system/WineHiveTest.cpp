#include "system/WineHive.h"

#include "system/Utf16.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

using namespace mailvane::system;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

HivePath path(std::initializer_list<const char*> names) {
  HivePath p;
  for (const char* n : names) p.push_back(utf8ToUtf16(n));
  return p;
}

std::u16string textOf(const HiveValue* v) {
  std::u16string units;
  for (size_t i = 0; i + 1 < v->data.size(); i += 2)
    units.push_back(static_cast<char16_t>(v->data[i] | (v->data[i + 1] << 8)));
  return units;
}

const std::string kSample =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Microsoft\\\\Windows Live Mail] 1700000000\n"
    "#time=1da1234567890ab\n"
    "\"DatabaseVersion\"=dword:00000001\n"
    "\"Store Root\"=str(2):\"%USERPROFILE%\\\\AppData\\\\Local\\\\Microsoft\\\\Windows Live Mail\"\n"
    "\"Odd \\\"name\\\"\"=\"caf\\xe9\"\n"
    "@=\"default\"\n"
    "\n"
    "[Software\\\\Wine\\\\Binary] 1700000001\n"
    "\"Blob\"=hex:0a,ff,00\n"
    "\"Long\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,\\\n"
    "  18,19\n"
    "\"Multi\"=str(7):\"a\\0b\\0\"\n"
    "\"Wide\"=hex(2):25,00,55,00,00,00\n"
    "\"Escapes\"=\"tab\\there\\x41\\101\\q\\\\\"\n"
    "\"Utf8\"=\"caf\xc3\xa9\"\n"
    "\n";

}  // namespace

TEST(WineHive, ReadsEveryValueForm) {
  const WineHive hive = WineHive::parse(kSample);
  ASSERT_TRUE(hive.signatureValid());
  const auto live = path({"software", "MICROSOFT", "windows live mail"});
  const HiveValue* root = hive.findValue(live, u"store root");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->type, 2u);
  EXPECT_EQ(textOf(root), std::u16string(u"%USERPROFILE%\\AppData\\Local\\Microsoft\\Windows Live Mail") + u'\0');
  EXPECT_EQ(hive.findValue(live, u"DatabaseVersion")->data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(textOf(hive.findValue(live, u"Odd \"name\"")), std::u16string(u"caf\u00e9") + u'\0');
  EXPECT_EQ(textOf(hive.findValue(live, u"")), std::u16string(u"default") + u'\0');

  const auto wine = path({"Software", "Wine", "Binary"});
  EXPECT_EQ(hive.findValue(wine, u"Blob")->data, (std::vector<std::uint8_t>{0x0A, 0xFF, 0x00}));
  EXPECT_EQ(hive.findValue(wine, u"Long")->data.size(), 26u);
  EXPECT_EQ(hive.findValue(wine, u"Long")->data.back(), 0x19);
  EXPECT_EQ(hive.findValue(wine, u"Multi")->type, 7u);
  EXPECT_EQ(textOf(hive.findValue(wine, u"Multi")), std::u16string(u"a\0b\0\0", 5));
  EXPECT_EQ(textOf(hive.findValue(wine, u"Wide")), std::u16string(u"%U\0", 3));
  EXPECT_EQ(textOf(hive.findValue(wine, u"Escapes")), std::u16string(u"tab\there" u"AAq\\") + u'\0');
  EXPECT_EQ(textOf(hive.findValue(wine, u"Utf8")), std::u16string(u"caf\u00e9") + u'\0');
}

TEST(WineHive, KeysExistThroughTheirSubkeysAndListSorted) {
  const WineHive hive = WineHive::parse(kSample);
  EXPECT_TRUE(hive.keyExists({}));
  EXPECT_TRUE(hive.keyExists(path({"Software"})));
  EXPECT_TRUE(hive.keyExists(path({"software", "wine"})));
  EXPECT_FALSE(hive.keyExists(path({"Software", "Nope"})));
  EXPECT_EQ(hive.subkeyNames(path({"Software"})), (std::vector<std::u16string>{u"Microsoft", u"Wine"}));
  EXPECT_TRUE(hive.hasSubkeys(path({"Software", "Wine"})));
  EXPECT_FALSE(hive.hasSubkeys(path({"Software", "Wine", "Binary"})));
}

TEST(WineHive, WritingBackUnchangedGivesTheSameText) {
  EXPECT_EQ(WineHive::parse(kSample).serialize(), kSample);
  const std::string crlf = "WINE REGISTRY Version 2\r\n\r\n[A] 1\r\n\"x\"=\"y\"\r\n";
  EXPECT_EQ(WineHive::parse(crlf).serialize(), crlf);
}

TEST(WineHive, ChangingOneValueLeavesEveryOtherLineAlone) {
  WineHive hive = WineHive::parse(kSample);
  const auto live = path({"Software", "Microsoft", "Windows Live Mail"});
  hive.setValue(live, HiveValue{u"DatabaseVersion", 4, {2, 0, 0, 0}});
  std::string expected = kSample;
  expected.replace(expected.find("dword:00000001"), 14, "dword:00000002");
  EXPECT_EQ(hive.serialize(), expected);

  hive.deleteValue(live, u"ODD \"NAME\"");
  EXPECT_EQ(hive.findValue(live, u"Odd \"name\""), nullptr);
  EXPECT_THAT(hive.serialize(), Not(HasSubstr("caf\\xe9")));
  EXPECT_THAT(hive.serialize(), HasSubstr("\"Utf8\"=\"caf\xc3\xa9\""));
}

TEST(WineHive, NewValuesAndKeysReadBackAsWritten) {
  WineHive hive = WineHive::parse(kSample);
  const auto key = path({"Software", "New [key]", "Deep"});
  ASSERT_TRUE(hive.createKey(key));
  EXPECT_FALSE(hive.createKey(path({"software", "new [KEY]"})));
  std::vector<std::uint8_t> long_(300);
  for (size_t i = 0; i < long_.size(); ++i) long_[i] = static_cast<std::uint8_t>(i);
  std::u16string odd = u"quote\" back\\ \u00e9A \u4e2d1 nl\n ctl\x01" u"7 [x]";
  odd += u'\0';
  odd += u"12";
  std::vector<HiveValue> written = {
      {u"sz", 1, {'a', 0, 'b', 0, 0, 0}},
      {u"unterminated", 1, {'a', 0, 'b', 0}},
      {u"odd length", 2, {'a', 0, 'b'}},
      {u"", 4, {1, 2, 3, 4}},
      {u"bytes", 3, long_},
      {u"none", 0, {}},
      {u"big type", 0x20000, {9}},
  };
  HiveValue escaped{odd, 1, {}};
  for (char16_t c : odd + u'\0') escaped.data.insert(escaped.data.end(), {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>(c >> 8)});
  written.push_back(escaped);
  for (const auto& v : written) hive.setValue(key, v);

  const WineHive again = WineHive::parse(hive.serialize());
  for (const auto& v : written) {
    const HiveValue* read = again.findValue(key, v.name);
    ASSERT_NE(read, nullptr) << utf16ToUtf8(v.name);
    EXPECT_EQ(read->type, v.type) << utf16ToUtf8(v.name);
    EXPECT_EQ(read->data, v.data) << utf16ToUtf8(v.name);
  }
  EXPECT_EQ(again.subkeyNames(path({"Software"})).size(), 3u);
}

TEST(WineHive, DeletingTheOnlySubkeyKeepsTheParent) {
  WineHive hive = WineHive::parse("WINE REGISTRY Version 2\n\n[A\\\\B\\\\C] 1\n\"v\"=\"1\"\n");
  ASSERT_TRUE(hive.deleteKey(path({"a", "b", "c"})));
  EXPECT_FALSE(hive.keyExists(path({"A", "B", "C"})));
  EXPECT_TRUE(hive.keyExists(path({"A", "B"})));
  EXPECT_TRUE(WineHive::parse(hive.serialize()).keyExists(path({"A", "B"})));
}

TEST(WineHive, AKeyWrittenTwiceIsOneKeyWithTheLaterValueWinning) {
  const WineHive hive = WineHive::parse(
      "WINE REGISTRY Version 2\n[K] 1\n\"a\"=\"1\"\n[Other] 1\n\"x\"=\"y\"\n[k] 2\n\"A\"=\"2\"\n\"b\"=\"3\"\n");
  const auto values = hive.values(path({"K"}));
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(textOf(values[0]), std::u16string(u"2") + u'\0');
  EXPECT_EQ(hive.findValue(path({"Other"}), u"x")->type, 1u);
}

// Bad input is read as far as it is valid and kept as it was when written back.
TEST(WineHive, DamagedTextReadsAsFarAsValid) {
  struct Case {
    const char* what;
    std::string text;
    std::string written = {};  // when it is not the text itself
  };
  const std::string head = "WINE REGISTRY Version 2\n[K] 1\n\"good\"=\"yes\"\n";
  const Case cases[] = {
      {"truncated string", head + "\"cut\"=\"abc"},
      {"truncated name", head + "\"cu"},
      // A continuation with nothing after it would join what a save puts next.
      {"truncated hex continuation", head + "\"h\"=hex:01,02,\\", head + "\"h\"=hex:01,02,\n"},
      {"truncated header", head + "[Software\\\\Mic"},
      {"escape at the end", head + "\"e\"=\"abc\\"},
      {"hex escape without digits", head + "\"e\"=\"\\x\"\n"},
      {"bad hex byte", head + "\"h\"=hex:01,zz\n"},
      {"bad type", head + "\"t\"=hex(zz):01\n\"u\"=str(:\"x\"\n"},
      {"unknown form", head + "\"w\"=what:1\n"},
      {"missing equals", head + "\"w\" \"x\"\n"},
      {"binary junk", head + std::string("\0\xff\xfe[\x01\"\\\x80\n\"\xc3\"=\"\xe0\x80\"", 17)},
      {"invalid utf-8", head + "\"u\"=\"\xff\xc0\x80ok\"\n"},
      {"values before any key", "WINE REGISTRY Version 2\n\"early\"=\"x\"\n[K] 1\n\"good\"=\"yes\"\n"},
      {"broken key swallows its values", head + "[Bad\n\"v\"=\"1\"\n"},
      {"1 MB line", head + "\"big\"=\"" + std::string(1 << 20, 'x') + "\"\n" + std::string(1 << 20, '[')},
      {"keys without values", head + "[E1] 1\n[E2] 2\n\n[E3]\n"},
  };
  for (const auto& c : cases) {
    const WineHive hive = WineHive::parse(c.text);
    const HiveValue* good = hive.findValue(path({"K"}), u"good");
    ASSERT_NE(good, nullptr) << c.what;
    EXPECT_EQ(textOf(good), std::u16string(u"yes") + u'\0') << c.what;
    std::string expected = c.written.empty() ? c.text : c.written;
    if (!expected.empty() && expected.back() != '\n') expected += '\n';
    EXPECT_EQ(hive.serialize(), expected) << c.what;
  }
  const WineHive empties = WineHive::parse(head + "[E1] 1\n[E2] 2\n");
  EXPECT_TRUE(empties.keyExists(path({"E2"})));
  EXPECT_TRUE(empties.values(path({"E2"})).empty());
  EXPECT_EQ(WineHive::parse(head + "[Bad\n\"v\"=\"1\"\n").findValue(path({"K"}), u"v"), nullptr);
}

TEST(WineHive, AFileWithoutTheSignatureHoldsNothing) {
  for (const std::string text : {"", "REGEDIT4\n[K]\n\"good\"=\"yes\"\n", "WINE REGISTRY Version 1\n[K] 1\n\"good\"=\"yes\"\n"}) {
    const WineHive hive = WineHive::parse(text);
    EXPECT_FALSE(hive.signatureValid());
    EXPECT_FALSE(hive.keyExists(path({"K"})));
  }
  EXPECT_TRUE(WineHive().signatureValid());
  EXPECT_EQ(WineHive::parse(WineHive().serialize()).signatureValid(), true);
}

TEST(WineHive, ANewValueIsNotSwallowedByAByteListCutOffAtTheEnd) {
  WineHive hive = WineHive::parse("WINE REGISTRY Version 2\n[K] 1\n\"h\"=hex:01,02,\\");
  hive.setValue(path({"K"}), HiveValue{u"after", 4, {1, 0, 0, 0}});
  const WineHive again = WineHive::parse(hive.serialize());
  ASSERT_NE(again.findValue(path({"K"}), u"after"), nullptr);
  EXPECT_EQ(again.findValue(path({"K"}), u"h")->data, (std::vector<std::uint8_t>{1, 2}));
}

// Every key and value of a hive as readers see it, by folded path.
static std::map<std::u16string, std::vector<std::tuple<std::u16string, std::uint32_t, std::vector<std::uint8_t>>>>
snapshot(const WineHive& hive) {
  std::map<std::u16string, std::vector<std::tuple<std::u16string, std::uint32_t, std::vector<std::uint8_t>>>> out;
  std::vector<HivePath> pending{HivePath{}};
  while (!pending.empty()) {
    HivePath p = pending.back();
    pending.pop_back();
    std::u16string key;
    for (const auto& n : p) key += foldCase(n) + u"\\";
    auto& values = out[key];
    for (const HiveValue* v : hive.values(p)) values.emplace_back(foldCase(v->name), v->type, v->data);
    for (const auto& name : hive.subkeyNames(p)) {
      HivePath child = p;
      child.push_back(name);
      pending.push_back(std::move(child));
    }
  }
  return out;
}

TEST(WineHive, SavingKeepsEveryKeyAndValueWhateverContinuationTheTextEndsIn) {
  const std::string cases[] = {
      // A byte list ending in a continuation at the very end, before any key.
      std::string("WINE REGISTRY Version 2\n\"\"=hex\\\\\r\n"),
      // A key written twice whose second block ends in a dangling continuation: merged
      // into the first block, it would swallow the key written after that block.
      std::string("WINE REGISTRY Version 2\r\n[A\\\\B]1\n[A] \n[A\\\\B] \r\n\"\"=hex\\\n"),
      std::string("WINE REGISTRY Version 2\n[K] 1\n\"h\"=hex:01,02,\\\r\n  03,\\ \\\n"),
      // A continuation line of nothing but a backslash at the end.
      std::string("WINE REGISTRY Version 2\n[K] 1\n\"h\"=hex:01,\\\\\r\n\\\r\n"),
      // A CR inside the line before its dangling continuation.
      std::string("WINE REGISTRY Version 2\n[K] 1\n\"h\"=hex:01,\\\\\r\\\n"),
      // A continuation that took in blank lines up to the end.
      std::string("WINE REGISTRY Version 2\n[K] 1\n\"h\"=hex:01,\\\\\\\r\n\n"),
  };
  for (const auto& text : cases) {
    WineHive hive = WineHive::parse(text);
    const auto before = snapshot(hive);
    // Saved unchanged (and saved again from that, to the same text), then with a value
    // added to a new key at the end.
    EXPECT_EQ(snapshot(WineHive::parse(hive.serialize())), before) << text;
    EXPECT_EQ(WineHive::parse(hive.serialize()).serialize(), hive.serialize()) << text;
    hive.setValue(path({"Fuzz"}), HiveValue{u"n", 4, {7, 0, 0, 0}});
    const WineHive again = WineHive::parse(hive.serialize());
    auto after = snapshot(again);
    ASSERT_NE(again.findValue(path({"Fuzz"}), u"n"), nullptr) << text;
    after.erase(u"fuzz\\");
    auto expected = before;
    expected.erase(u"fuzz\\");
    EXPECT_EQ(after, expected) << text;
  }
}
