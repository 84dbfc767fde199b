#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "controls/NetClass.h"
#include "tests/plugins/TestApp.h"
#include "tests/plugins/toolbench/DbxBuilder.h"

namespace mailvane {
namespace {

class ToolbenchPlugin : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::ensureApplication(); }

  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    host_.setProgramFolder(QStringLiteral(MAILVANE_BIN_DIR));
    host_.setSetlocation(QStringLiteral("plugin"));
    host_.setSetAssamblyfile(QStringLiteral("Toolbench.dll"));
    host_.setSetClass(QStringLiteral("Toolbench.DBX"));
    ASSERT_TRUE(host_.Run()) << host_.lastError().toStdString();
  }

  QString write(const dbx::test::DbxBuilder& file, const char* name) {
    const QString path = folder_.filePath(QString::fromLatin1(name));
    file.save(path.toStdString());
    return path;
  }

  QVariant call(const char* member, const QVariantList& args) {
    QVariant result;
    EXPECT_TRUE(host_.call(member, args, &result)) << host_.lastError().toStdString();
    return result;
  }

  QTemporaryDir folder_;
  NetClass host_;
};

TEST_F(ToolbenchPlugin, ParseThenExtractByNumberOrTextInAnyOrder) {
  const std::vector<std::string> texts = {"Subject: a\r\n\r\n\xE9t\xE9", std::string(3000, 'b'),
                                          "c"};
  const QString path = write(dbx::test::DbxBuilder::messages(texts, 1), "Inbox.dbx");
  EXPECT_EQ(call("Parse", {path}).toInt(), 3);
  EXPECT_EQ(call("Extract", {2}).toByteArray(), QByteArray("c"));
  EXPECT_EQ(call("Extract", {QStringLiteral("1")}).toByteArray(),
            QByteArray::fromStdString(texts[1]));
  // Bytes stay bytes: no code-page conversion of the message text.
  EXPECT_EQ(call("Extract", {0}).toByteArray(), QByteArray::fromStdString(texts[0]));
  EXPECT_EQ(call("Extract", {2}).toByteArray(), QByteArray("c"));
  EXPECT_TRUE(call("Extract", {3}).toByteArray().isEmpty());
  EXPECT_TRUE(call("Extract", {QStringLiteral("x")}).toByteArray().isEmpty());
  EXPECT_TRUE(call("Extract", {-1}).toByteArray().isEmpty());
  EXPECT_FALSE(host_.member("LastError").toString().isEmpty());
}

TEST_F(ToolbenchPlugin, BadFilesGiveZeroWithAReason) {
  EXPECT_EQ(call("Parse", {folder_.filePath(QStringLiteral("missing.dbx"))}).toInt(), 0);
  EXPECT_TRUE(host_.member("LastError").toString().contains(QStringLiteral("cannot read")));
  const QString folders = write(dbx::test::DbxBuilder(dbx::test::kFolderClass), "Folders.dbx");
  EXPECT_EQ(call("Parse", {folders}).toInt(), 0);
  EXPECT_TRUE(host_.member("LastError").toString().contains(QStringLiteral("folder list")));
  EXPECT_TRUE(call("Extract", {0}).toByteArray().isEmpty());
}

TEST_F(ToolbenchPlugin, BrokenMessageIsNotHandedOutAsWhole) {
  dbx::test::DbxBuilder file = dbx::test::DbxBuilder::messages({std::string(1200, 'z')});
  // The first block of the only message is the first object after the file info.
  file.putU32(0x24BC + 0x618 + 12, 0x24BC + 0x618);
  EXPECT_EQ(call("Parse", {write(file, "Loop.dbx")}).toInt(), 1);
  EXPECT_TRUE(call("Extract", {0}).toByteArray().isEmpty());
  EXPECT_TRUE(host_.member("LastError").toString().contains(QStringLiteral("incomplete")));
}

TEST_F(ToolbenchPlugin, ListsFolders) {
  dbx::test::DbxBuilder file(dbx::test::kFolderClass);
  const uint32_t inbox = file.addRecord(
      {dbx::test::Property::direct24(0x00, 4), dbx::test::Property::direct24(0x01, 1),
       dbx::test::Property::text(0x02, "Inbox"), dbx::test::Property::text(0x03, "Inbox.dbx")});
  file.setTree1(file.addTree({inbox}, 51), 1);
  const QVariantList folders = call("Folders", {write(file, "Folders.dbx")}).toList();
  ASSERT_EQ(folders.size(), 1);
  const QVariantMap folder = folders[0].toMap();
  EXPECT_EQ(folder[QStringLiteral("id")].toInt(), 4);
  EXPECT_EQ(folder[QStringLiteral("parentId")].toInt(), 1);
  EXPECT_EQ(folder[QStringLiteral("name")].toByteArray(), QByteArray("Inbox"));
  EXPECT_EQ(folder[QStringLiteral("fileName")].toByteArray(), QByteArray("Inbox.dbx"));
}

}  // namespace
}  // namespace mailvane
