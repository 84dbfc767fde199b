// Message folders and folder lists read from .dbx files built by the tests, damaged in
// every way the reader must survive, and from the shared public samples when they are there.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCryptographicHash>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include "plugins/toolbench/DbxFolderList.h"
#include "plugins/toolbench/DbxReader.h"
#include "tests/plugins/toolbench/DbxBuilder.h"

namespace mailvane::dbx {
namespace {

using ::testing::HasSubstr;
using test::DbxBuilder;
using test::Property;

std::vector<std::string> sampleTexts(size_t count) {
  std::vector<std::string> texts;
  for (size_t i = 0; i < count; ++i) {
    // Lengths around block boundaries, and one that does not end in CR LF.
    const size_t length = (i * 97) % 1500 + (i % 3 == 0 ? 0x200 - 50 : 1);
    std::string text = "Subject: " + std::to_string(i) + "\r\n\r\n";
    while (text.size() < length) text += static_cast<char>('a' + (text.size() + i) % 26);
    texts.push_back(text);
  }
  return texts;
}

DbxReader openBytes(const std::string& bytes, bool expectOpen = true) {
  DbxReader reader;
  EXPECT_EQ(reader.open(std::make_unique<DbxMemorySource>(bytes)), expectOpen) << reader.error();
  return reader;
}

TEST(DbxReader, MultiLevelTreesGiveMessagesInOrderAtRandom) {
  const auto texts = sampleTexts(300);
  for (const size_t perNode : {size_t(1), size_t(3), size_t(51)}) {
    SCOPED_TRACE(perNode);
    DbxBuilder file = DbxBuilder::messages(texts, perNode);
    DbxReader reader = openBytes(file.bytes());
    ASSERT_EQ(reader.count(), texts.size());
    EXPECT_TRUE(reader.problems().empty()) << reader.problems().front();
    std::vector<uint32_t> order(texts.size());
    for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(perNode));
    for (const uint32_t i : order) {
      const DbxMessage message = reader.message(i);
      ASSERT_TRUE(message.complete) << message.error;
      ASSERT_EQ(message.text, texts[i]) << "message " << i;
      EXPECT_EQ(reader.subject(i), "Subject " + std::to_string(i));
    }
    EXPECT_EQ(reader.measure(7).length, texts[7].size());
    EXPECT_FALSE(reader.message(uint32_t(texts.size())).complete);
  }
}

TEST(DbxReader, EmptySlotsAndPartBlocksAndBackwardChains) {
  DbxBuilder file;
  std::string text(2000, 'x');
  text[0] = 'A';
  text.back() = 'Z';
  // Blocks of 300 bytes (not full) laid out last-first.
  const uint32_t chain = file.addChain(text, 300, true);
  const uint32_t record = file.addMessage(1, "one", chain);
  const uint32_t second = file.addMessage(2, "two", file.addChain("tiny"));
  const uint32_t root = file.addTree({record, 0, second}, 51);
  file.setTree1(root, 2);
  DbxReader reader = openBytes(file.bytes());
  ASSERT_EQ(reader.count(), 2u);
  EXPECT_EQ(reader.message(0).text, text);
  EXPECT_EQ(reader.message(1).text, "tiny");
}

TEST(DbxReader, BodyPointersBeyond16MiBAreStoredIndirectly) {
  DbxBuilder file;
  const uint32_t nearRecord = file.addMessage(1, "near", file.addChain("near body"));
  file.skipTo(0x1000000 + 0x1234);
  const uint32_t farChain = file.addChain(std::string(1500, 'f'));
  ASSERT_GT(farChain, 0xFFFFFFu);
  const uint32_t farRecord = file.addMessage(2, "far", farChain, true);
  file.setTree1(file.addTree({nearRecord, farRecord}, 51), 2);
  DbxReader reader = openBytes(file.bytes());
  ASSERT_EQ(reader.count(), 2u);
  EXPECT_EQ(reader.message(1).text, std::string(1500, 'f'));
  EXPECT_EQ(reader.message(0).text, "near body");
}

uint32_t rootOf(DbxBuilder& file) { return file.u32(0xE4); }
uint32_t leadingChildOf(DbxBuilder& file, uint32_t node) { return file.u32(node + 0x08); }

// One message file with a tree of three levels, damaged in one place per case.
TEST(DbxReader, DamagedTreesGiveTheMessagesThatCanBeRead) {
  const struct {
    const char* name;
    void (*apply)(DbxBuilder& file);
    uint32_t expectedCount;  // 0: not known exactly
  } cases[] = {
      {"header count too high", [](DbxBuilder& f) { f.putU32(0xC4, 1000); }, 40},
      {"child count too low", [](DbxBuilder& f) { f.putU32(rootOf(f) + 0x14, 1); }, 40},
      {"child count absurd", [](DbxBuilder& f) { f.putU32(rootOf(f) + 0x20, 0xFFFFFFFF); }, 40},
      {"subtree node with a wrong self-offset",
       [](DbxBuilder& f) { f.putU32(leadingChildOf(f, rootOf(f)), 12345); }, 0},
      {"child pointing back at the root",
       [](DbxBuilder& f) { f.putU32(rootOf(f) + 0x1C, rootOf(f)); }, 0},
      {"root past the end", [](DbxBuilder& f) { f.putU32(0xE4, 0x7FFFFFF0); }, 0},
      {"entry count above 51",
       [](DbxBuilder& f) { f.bytes()[leadingChildOf(f, rootOf(f)) + 0x11] = char(0xFF); }, 0},
  };
  const auto texts = sampleTexts(40);
  for (const auto& damage : cases) {
    SCOPED_TRACE(damage.name);
    DbxBuilder file = DbxBuilder::messages(texts, 3);
    damage.apply(file);
    DbxReader reader = openBytes(file.bytes());
    EXPECT_FALSE(reader.problems().empty());
    if (damage.expectedCount != 0) {
      EXPECT_EQ(reader.count(), damage.expectedCount);
    }
    EXPECT_LT(reader.count(), 41u);
    // Whatever is counted is readable, and in the original relative order.
    size_t next = 0;
    for (uint32_t i = 0; i < reader.count(); ++i) {
      const DbxMessage message = reader.message(i);
      ASSERT_TRUE(message.complete) << message.error;
      const auto found = std::find(texts.begin() + next, texts.end(), message.text);
      ASSERT_NE(found, texts.end()) << "message " << i << " out of order";
      next = size_t(found - texts.begin()) + 1;
    }
  }
}

TEST(DbxReader, BrokenChainsAreReportedNotReturnedAsWhole) {
  const std::string text(1500, 'm');  // three blocks
  struct Case {
    const char* name;
    void (*apply)(DbxBuilder& file, uint32_t firstBlock);
    const char* expectedError;
  };
  const Case cases[] = {
      {"loop", [](DbxBuilder& f, uint32_t b) { f.putU32(b + 0x210 + 12, b); }, "loops"},
      {"self loop", [](DbxBuilder& f, uint32_t b) { f.putU32(b + 12, b); }, "loops"},
      {"size above 0x200", [](DbxBuilder& f, uint32_t b) { f.putU32(b + 0x210 + 8, 0x300); },
       "impossible"},
      {"capacity above 0x200", [](DbxBuilder& f, uint32_t b) { f.putU32(b + 4, 0x4000); },
       "impossible"},
      {"freed block",
       [](DbxBuilder& f, uint32_t b) {
         f.putU32(b + 0x210 + 4, 0x1FC);
         f.putU32(b + 0x210 + 8, 0x210);
       },
       "freed"},
      {"wrong self-offset", [](DbxBuilder& f, uint32_t b) { f.putU32(b + 0x420, 1); },
       "not a block"},
      {"next past the end", [](DbxBuilder& f, uint32_t b) { f.putU32(b + 12, 0xFFFFFF00); },
       "outside"},
      {"truncated file", [](DbxBuilder& f, uint32_t b) { f.bytes().resize(b + 0x420 + 0x20); },
       "past the end"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DbxBuilder file;
    const uint32_t other = file.addMessage(2, "t", file.addChain("fine"));
    const uint32_t record = file.addMessage(1, "s", 1);
    file.setTree1(file.addTree({other, record}, 51), 2);
    // The chain comes last so that cutting the file cuts only the chain.
    const uint32_t firstBlock = file.addChain(text);
    file.putU32(record + 12 + 4, 0x84 | firstBlock << 8);
    c.apply(file, firstBlock);
    DbxReader reader = openBytes(file.bytes());
    ASSERT_EQ(reader.count(), 2u);
    const DbxMessage broken = reader.message(1);
    EXPECT_FALSE(broken.complete);
    EXPECT_THAT(broken.error, HasSubstr(c.expectedError));
    EXPECT_LT(broken.text.size(), text.size());
    EXPECT_EQ(reader.message(0).text, "fine");
  }
}

TEST(DbxReader, BadRecordsAndMissingBodiesAreErrorsNotEmptyMessages) {
  DbxBuilder file;
  const uint32_t noBody = file.addMessage(1, "headers only", 0);
  const uint32_t zeroBody = file.addRecord({Property::direct24(0x04, 0)});
  const uint32_t hugeBody = file.addMessage(3, "huge", file.addChain("x"));
  const uint32_t wrongSelf = file.addMessage(4, "self", file.addChain("y"));
  const uint32_t good = file.addMessage(5, "good", file.addChain("good"));
  file.putU32(hugeBody + 4, 0xFFFFFFF0);
  file.putU32(wrongSelf, 8);
  file.setTree1(file.addTree({noBody, zeroBody, hugeBody, wrongSelf, 0x7FFFFFF0, good}, 51), 6);
  DbxReader reader = openBytes(file.bytes());
  ASSERT_EQ(reader.count(), 6u);
  for (uint32_t i = 0; i < 5; ++i) {
    const DbxMessage message = reader.message(i);
    EXPECT_FALSE(message.complete) << i;
    EXPECT_FALSE(message.error.empty()) << i;
  }
  EXPECT_THAT(reader.message(0).error, HasSubstr("no stored text"));
  EXPECT_EQ(reader.message(5).text, "good");
}

TEST(DbxReader, RefusesFilesThatAreNotMessageFolders) {
  const std::string oldFormat = std::string("JMF6\x03\x00\x01\x00", 8) + std::string(100, '\0');
  const std::string header = DbxBuilder(test::kMessageClass).bytes();
  const struct {
    const char* name;
    std::string bytes;
    const char* expected;
  } cases[] = {
      {"folder list", DbxBuilder(test::kFolderClass).bytes(), "folder list"},
      {"older format", oldFormat, "older"},
      {"empty", "", "not a .dbx"},
      {"text", "From: a\r\n\r\nbody", "not a .dbx"},
      {"header cut short", header.substr(0, 0x100), "too short"},
      {"magic only", header.substr(0, 6), "too short"},
      {"offline file",
       [] {
         DbxBuilder f(0x26FE9D30);
         return f.bytes();
       }(),
       "not a message folder"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DbxReader reader = openBytes(c.bytes, false);
    EXPECT_THAT(reader.error(), HasSubstr(c.expected));
    EXPECT_EQ(reader.count(), 0u);
  }
  DbxReader empty = openBytes(header);  // a new folder: header only, no tree
  EXPECT_EQ(empty.count(), 0u);
  EXPECT_TRUE(empty.problems().empty());
}

TEST(DbxReader, GarbageNeverCrashes) {
  DbxBuilder file = DbxBuilder::messages(sampleTexts(30), 2);
  const std::string original = file.bytes();
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    std::string bytes = original;
    for (int flips = 0; flips < 8; ++flips) {
      // Hit the header fields, the tree and the records more often than the text.
      const size_t at =
          random() % 2 ? 0xC0 + random() % 0x40 : 0x24BC + random() % (bytes.size() - 0x24BC);
      bytes[at] = static_cast<char>(random());
    }
    DbxReader reader;
    if (!reader.open(std::make_unique<DbxMemorySource>(bytes))) continue;
    for (uint32_t i = 0; i < std::min<uint32_t>(reader.count(), 64); ++i) {
      (void)reader.message(i);
      (void)reader.subject(i);
    }
  }
}

// Each folder as "id parent name file".
std::vector<std::string> foldersOf(const DbxFolderList& list) {
  std::vector<std::string> rows;
  for (const DbxFolder& f : list.folders)
    rows.push_back(std::to_string(f.id) + " " + std::to_string(f.parentId) + " " + f.name + " " +
                   f.fileName);
  return rows;
}

TEST(DbxFolderList, ReadsIdsParentsNamesAndFilesWhetherStoredDirectlyOrNot) {
  DbxBuilder file(test::kFolderClass);
  // The root: no id, parent -1 (too wide for a direct value).
  const uint32_t root =
      file.addRecord({Property::int4(0x01, 0xFFFFFFFF), Property::text(0x02, "Root")});
  // Top level: no parent property.
  const uint32_t local =
      file.addRecord({Property::direct24(0x00, 1), Property::text(0x02, "Local Folders")});
  // An id stored indirectly, and a name in the code page of the writing machine.
  const uint32_t inbox =
      file.addRecord({Property::int4(0x00, 4), Property::direct24(0x01, 1),
                      Property::text(0x02, "Bo\xEEte"), Property::text(0x03, "Inbox.dbx")});
  // A name that runs to the end of the record with no terminating NUL.
  const uint32_t drafts = file.addRecord(
      {Property::direct24(0x00, 8), Property::direct24(0x01, 1), Property::bytes(0x02, "Draf")});
  file.setTree1(file.addTree({root, local, inbox, drafts}, 2), 4);

  DbxMemorySource source(file.bytes());
  const DbxFolderList list = readFolderList(source);
  ASSERT_TRUE(list.ok) << list.error;
  EXPECT_EQ(foldersOf(list), (std::vector<std::string>{"0 -1 Root ", "1 0 Local Folders ",
                                                       "4 1 Bo\xEEte Inbox.dbx", "8 1 Draf "}));
}

TEST(DbxFolderList, SkipsDamagedRecordsAndRefusesMessageFolders) {
  DbxBuilder file(test::kFolderClass);
  const uint32_t good = file.addRecord({Property::direct24(0x00, 3), Property::text(0x02, "A")});
  const uint32_t bad = file.addRecord({Property::direct24(0x00, 5), Property::text(0x02, "B")});
  file.putU32(bad, 0);
  file.setTree1(file.addTree({good, bad}, 51), 2);
  DbxMemorySource source(file.bytes());
  const DbxFolderList list = readFolderList(source);
  ASSERT_TRUE(list.ok);
  EXPECT_EQ(foldersOf(list), std::vector<std::string>{"3 0 A "});
  EXPECT_FALSE(list.problems.empty());

  DbxBuilder messages;
  DbxMemorySource messageSource(messages.bytes());
  EXPECT_FALSE(readFolderList(messageSource).ok);
}

// The shared public sample files with their expected per-message lengths and checksums.
const std::filesystem::path kSamples = std::filesystem::path(MAILVANE_SHARED_SAMPLES) / "dbx";

struct Expected {
  std::string file;
  uint32_t index = 0;
  uint64_t length = 0;
  std::string md5;
};

std::vector<Expected> expectedMessages() {
  std::vector<Expected> rows;
  std::ifstream in(kSamples / "EXPECTED.tsv");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#' || line.rfind("file\t", 0) == 0) continue;
    std::istringstream fields(line);
    Expected row;
    std::string id;
    fields >> row.file >> row.index >> id >> row.length >> row.md5;
    rows.push_back(row);
  }
  return rows;
}

std::string md5(const std::string& bytes) {
  return QCryptographicHash::hash(QByteArrayView(bytes.data(), qsizetype(bytes.size())),
                                  QCryptographicHash::Md5)
      .toHex()
      .toUpper()
      .toStdString();
}

class DbxSamples : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kSamples / "EXPECTED.tsv")) GTEST_SKIP() << "no samples";
  }
};

TEST_F(DbxSamples, MessagesHaveTheExpectedLengthsAndChecksumsInOrder) {
  const auto rows = expectedMessages();
  ASSERT_FALSE(rows.empty());
  for (const Expected& row : rows) {
    SCOPED_TRACE(row.file + " #" + std::to_string(row.index));
    DbxReader reader;
    ASSERT_TRUE(reader.open(kSamples / row.file)) << reader.error();
    EXPECT_TRUE(reader.problems().empty());
    ASSERT_LT(row.index, reader.count());
    const DbxMessage message = reader.message(row.index);
    ASSERT_TRUE(message.complete) << message.error;
    EXPECT_EQ(message.text.size(), row.length);
    EXPECT_EQ(reader.measure(row.index).length, row.length);
    EXPECT_EQ(md5(message.text), row.md5);
  }
}

TEST_F(DbxSamples, TheFolderListNamesEveryFolderAndOtherKindsAreNoMessageFolders) {
  const DbxFolderList list = readFolderList(kSamples / "mcguire_Folders.dbx");
  ASSERT_TRUE(list.ok) << list.error;
  EXPECT_TRUE(list.problems.empty());
  EXPECT_EQ(foldersOf(list),
            (std::vector<std::string>{"0 -1 Outlook Express ", "1 0 Local Folders ",
                                      "4 1 Inbox Inbox.dbx", "5 1 Outbox Outbox.dbx",
                                      "6 1 Sent Items ", "7 1 Deleted Items ", "8 1 Drafts ",
                                      "9 0 Hotmail "}));
  EXPECT_FALSE(readFolderList(kSamples / "mcguire_Inbox.dbx").ok);
  DbxReader reader;
  EXPECT_TRUE(reader.open(kSamples / "mcguire_Outbox.dbx")) << reader.error();
  EXPECT_EQ(reader.count(), 0u);
  EXPECT_FALSE(reader.open(kSamples / "mcguire_Offline.dbx"));
  EXPECT_FALSE(reader.open(kSamples / "mcguire_Folders.dbx"));
  EXPECT_THAT(reader.error(), HasSubstr("folder list"));
}

}  // namespace
}  // namespace mailvane::dbx
