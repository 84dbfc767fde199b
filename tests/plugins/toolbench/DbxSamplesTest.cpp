// The shared public sample files with their expected per-message lengths and checksums.
// Skipped where the samples are not installed.
#include <gtest/gtest.h>

#include <QCryptographicHash>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "plugins/toolbench/DbxFolderList.h"
#include "plugins/toolbench/DbxReader.h"

namespace mailvane::dbx {
namespace {

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

TEST_F(DbxSamples, OtherKindsAndEmptyFolders) {
  DbxReader reader;
  EXPECT_TRUE(reader.open(kSamples / "mcguire_Outbox.dbx")) << reader.error();
  EXPECT_EQ(reader.count(), 0u);
  EXPECT_FALSE(reader.open(kSamples / "mcguire_Offline.dbx"));
  EXPECT_FALSE(reader.open(kSamples / "mcguire_Folders.dbx"));
  EXPECT_NE(reader.error().find("folder list"), std::string::npos);
  EXPECT_FALSE(readFolderList(kSamples / "mcguire_Inbox.dbx").ok);
}

TEST_F(DbxSamples, FolderListNamesEveryFolderWithItsParentAndFile) {
  const DbxFolderList list = readFolderList(kSamples / "mcguire_Folders.dbx");
  ASSERT_TRUE(list.ok) << list.error;
  EXPECT_TRUE(list.problems.empty());
  ASSERT_EQ(list.folders.size(), 8u);
  EXPECT_EQ(list.folders[0].id, 0u);
  EXPECT_EQ(list.folders[0].parentId, -1);
  EXPECT_EQ(list.folders[0].name, "Outlook Express");
  const auto inbox = std::find_if(list.folders.begin(), list.folders.end(),
                                  [](const DbxFolder& f) { return f.name == "Inbox"; });
  ASSERT_NE(inbox, list.folders.end());
  EXPECT_EQ(inbox->id, 4u);
  EXPECT_EQ(inbox->parentId, 1);
  EXPECT_EQ(inbox->fileName, "Inbox.dbx");
  for (size_t i = 1; i < list.folders.size(); ++i) {
    EXPECT_LT(list.folders[i - 1].id, list.folders[i].id);
  }
}

}  // namespace
}  // namespace mailvane::dbx
