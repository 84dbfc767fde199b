#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>

#include "controls/NetClass.h"
#include "tests/plugins/TestApp.h"

namespace mailvane {
namespace {

class NetClassTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::ensureApplication(); }

  void SetUp() override {
    host_.setProgramFolder(QStringLiteral(MAILVANE_FAKE_PROGRAM_DIR));
    host_.setSetlocation(QStringLiteral("plugin"));
    host_.setSetAssamblyfile(QStringLiteral("Fake.dll"));
    host_.setSetClass(QStringLiteral("Fake.Echo"));
  }

  NetClass host_;
};

TEST_F(NetClassTest, LibraryPathFollowsLocationAndPlatformName) {
  EXPECT_EQ(host_.libraryPath(), QStringLiteral(MAILVANE_FAKE_PROGRAM_DIR "/plugin/libFake.so"));
  host_.setSetlocation(QString());
  EXPECT_EQ(host_.libraryPath(), QStringLiteral(MAILVANE_FAKE_PROGRAM_DIR "/libFake.so"));
  host_.setSetlocation(QStringLiteral("a\\b"));
  EXPECT_EQ(host_.libraryPath(), QStringLiteral(MAILVANE_FAKE_PROGRAM_DIR "/a/b/libFake.so"));
  EXPECT_EQ(NetClass::platformLibraryName(QStringLiteral("Fetchvane.DLL")),
            QStringLiteral("libFetchvane.so"));
  EXPECT_EQ(NetClass::platformLibraryName(QStringLiteral("libX.so")), QStringLiteral("libX.so"));
}

TEST_F(NetClassTest, CallsMembersAndSetsPropertiesByName) {
  ASSERT_TRUE(host_.Run()) << host_.lastError().toStdString();
  QVariant result;
  ASSERT_TRUE(host_.call("Parse", {QStringLiteral("abcd")}, &result));
  EXPECT_EQ(result.toInt(), 4);
  ASSERT_TRUE(host_.call("Extract", {7}, &result));
  EXPECT_EQ(result.toByteArray(), QByteArray("message 7"));
  ASSERT_TRUE(host_.call("Extract", {QStringLiteral("12")}, &result));
  EXPECT_EQ(result.toByteArray(), QByteArray("message 12"));
  EXPECT_TRUE(host_.call("Add", {QStringLiteral("http://x/a.wav"), QStringLiteral("/out")}));
  EXPECT_EQ(host_.member("Path").toString(), QStringLiteral("http://x/a.wav>/out"));
  // Overloads are told apart by the arguments that fit.
  ASSERT_TRUE(host_.call("Twice", {21}, &result));
  EXPECT_EQ(result.toInt(), 42);
  EXPECT_EQ(host_.member("Calls").toInt(), 4);

  EXPECT_TRUE(host_.setMember("Run", true));
  EXPECT_TRUE(host_.member("Run").toBool());
  EXPECT_TRUE(host_.setMember("Path", QStringLiteral("/store")));
  EXPECT_EQ(host_.member("Path").toString(), QStringLiteral("/store"));
}

TEST_F(NetClassTest, RefusesUnknownMembersInsteadOfInventingThem) {
  ASSERT_TRUE(host_.Run());
  EXPECT_FALSE(host_.setMember("Pathh", QStringLiteral("x")));
  EXPECT_TRUE(host_.lastError().contains(QStringLiteral("Pathh")));
  EXPECT_FALSE(host_.cas()->property("Pathh").isValid());
  EXPECT_FALSE(host_.setMember("Calls", 3));  // read-only
  EXPECT_FALSE(host_.call("Missing"));
  EXPECT_FALSE(host_.call("Add", {QStringLiteral("only one")}));
  EXPECT_FALSE(host_.call("deleteLater", {1}));
  EXPECT_FALSE(host_.member("Nothing").isValid());
}

TEST_F(NetClassTest, RunReplacesTheObjectAndStoppReleasesIt) {
  EXPECT_EQ(host_.cas(), nullptr);
  EXPECT_FALSE(host_.call("Parse", {QStringLiteral("x")}));
  ASSERT_TRUE(host_.Run());
  QPointer<QObject> first = host_.cas();
  ASSERT_TRUE(host_.setMember("Path", QStringLiteral("state of the first")));
  ASSERT_TRUE(host_.Run());
  EXPECT_TRUE(first.isNull());  // deleted, not leaked
  ASSERT_NE(host_.cas(), nullptr);
  EXPECT_EQ(host_.member("Path").toString(), QString());
  QPointer<QObject> second = host_.cas();
  host_.stopp();
  EXPECT_EQ(host_.cas(), nullptr);
  EXPECT_TRUE(second.isNull());
  host_.stopp();  // twice is harmless
  EXPECT_TRUE(host_.Run());
}

TEST_F(NetClassTest, FailuresKeepTheObjectAndNameThePathAndClass) {
  ASSERT_TRUE(host_.Run());
  QPointer<QObject> loaded = host_.cas();
  const struct {
    const char* library;
    const char* className;
    const char* expected;
  } cases[] = {
      {"Missing.dll", "Fake.Echo", "no such library"},
      {"Fake.dll", "Fake.Nothing", "no such class"},
      {"Wrong.dll", "Fake.Echo", "wrong plug-in interface"},
      {"NotAPlugin.dll", "Fake.Echo", "not a plug-in"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.library);
    host_.setSetAssamblyfile(QString::fromLatin1(c.library));
    host_.setSetClass(QString::fromLatin1(c.className));
    EXPECT_FALSE(host_.Run());
    EXPECT_EQ(host_.cas(), loaded.data());
    EXPECT_TRUE(host_.lastError().contains(host_.libraryPath())) << host_.lastError().toStdString();
    EXPECT_TRUE(host_.lastError().contains(QString::fromLatin1(c.className)));
    EXPECT_TRUE(host_.lastError().contains(QString::fromLatin1(c.expected)))
        << host_.lastError().toStdString();
  }
  // An empty class or library name does nothing at all.
  host_.setSetClass(QString());
  EXPECT_FALSE(host_.Run());
  EXPECT_EQ(host_.cas(), loaded.data());
  EXPECT_TRUE(host_.lastError().isEmpty());
}

TEST(NetClass, DefaultProgramFolderIsTheApplicationFolder) {
  NetClass host;
  EXPECT_EQ(host.programFolder(), QCoreApplication::applicationDirPath());
}

}  // namespace
}  // namespace mailvane
