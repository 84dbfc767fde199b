// The plug-in through the program's host, in the order the listener windows use it.

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "controls/NetClass.h"
#include "tests/plugins/TestApp.h"
#include "tests/plugins/newswatch/PluginTestSupport.h"

namespace mailvane::newswatch {
namespace {

using test::FileSink;

class NewswatchHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::ensureApplication();
    ASSERT_TRUE(dir_.isValid());
    host_.setProgramFolder(QStringLiteral(MAILVANE_BIN_DIR));
    host_.setSetClass("Newswatch.Newswatch");
    host_.setSetAssamblyfile("Newswatch.dll");
    host_.setSetlocation("plugin");
  }

  void startWatch(QObject* window) {
    ASSERT_TRUE(host_.Run()) << host_.lastError().toStdString();
    ASSERT_TRUE(host_.setMember("Run", false));
    ASSERT_TRUE(host_.call("AddFilecreated", {QVariant::fromValue(window)}))
        << host_.lastError().toStdString();
    ASSERT_TRUE(host_.setMember("Path", dir_.path()));
    ASSERT_TRUE(host_.setMember("Filter", "*.*"));
    ASSERT_TRUE(host_.setMember("IncludeSubdir", true));
    ASSERT_TRUE(host_.setMember("Run", true));
    ASSERT_TRUE(host_.member("Run").toBool()) << host_.member("LastError").toString().toStdString();
  }

  QTemporaryDir dir_;
  NetClass host_;
};

TEST_F(NewswatchHostTest, StartsAndStopsLikeTheListenerWindow) {
  const int descriptors = test::openInotifyDescriptors();
  FileSink window;
  startWatch(&window);
  ASSERT_TRUE(QDir(dir_.path()).mkpath("Inbox"));
  const QString created = test::writeFile(dir_.path() + "/Inbox/new.eml");
  ASSERT_TRUE(window.waitFor(created));
  EXPECT_EQ(window.names(), QStringList{"new.eml"});

  ASSERT_TRUE(host_.call("RemoveFilecreated", {QVariant::fromValue(&window)}));
  ASSERT_TRUE(host_.setMember("Run", false));
  host_.stopp();
  EXPECT_EQ(host_.cas(), nullptr);
  EXPECT_EQ(test::openInotifyDescriptors(), descriptors);
}

TEST_F(NewswatchHostTest, ARunningWatchEndsWithTheObjectTheHostReplaces) {
  // The older listener window stops without removing itself, and a new host Run
  // replaces an object whose watch is still running: no descriptor may be left behind.
  const int descriptors = test::openInotifyDescriptors();
  FileSink window;
  startWatch(&window);
  startWatch(&window);
  EXPECT_EQ(test::openInotifyDescriptors(), descriptors + 1);
  const QString created = test::writeFile(dir_.path() + "/once.eml");
  ASSERT_TRUE(window.waitFor(created));
  EXPECT_EQ(window.paths(), QStringList{created});  // not twice, from the replaced object
  host_.stopp();
  EXPECT_EQ(test::openInotifyDescriptors(), descriptors);
}

TEST_F(NewswatchHostTest, AWindowMayReleaseThePlugInFromItsCall) {
  FileSink window;
  FileSink later;
  window.onFile = [&](const QString&) { host_.stopp(); };
  startWatch(&window);
  ASSERT_TRUE(host_.call("AddFilecreated", {QVariant::fromValue(&later)}));
  test::writeFile(dir_.path() + "/1.eml");
  test::writeFile(dir_.path() + "/2.eml");
  ASSERT_TRUE(test::waitUntil([&] { return host_.cas() == nullptr; }));
  QCoreApplication::processEvents();
  EXPECT_EQ(window.count(), 1);
  EXPECT_EQ(later.count(), 0);
}

}  // namespace
}  // namespace mailvane::newswatch
