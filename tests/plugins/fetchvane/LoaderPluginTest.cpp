#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPluginLoader>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

#include "TestApp.h"
#include "tests/support/TestHttpServer.h"
#include "controls/NetClass.h"
#include "controls/PluginInterface.h"

namespace mailvane::fetchvane {
namespace {

using mailvane::testing::fileHoldsPattern;
using mailvane::testing::TestHttpServer;
using mailvane::testing::waitUntil;

const QString kPluginFolder = QStringLiteral(MAILVANE_BIN_DIR "/plugin");

bool invokeAdd(QObject* loader, const QString& link, const QString& folder) {
  return QMetaObject::invokeMethod(loader, "Add", Q_ARG(QString, link), Q_ARG(QString, folder));
}

QWidget* downloadsWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == QLatin1String("Downloads")) return widget;
  }
  return nullptr;
}

class LoaderPluginTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::ensureApplication<QApplication>(); }

  PluginFactory* factory() {
    QPluginLoader loader(kPluginFolder + "/libFetchvane.so");
    EXPECT_EQ(loader.metaData().value("IID").toString(), MailvanePluginFactory_iid);
    return qobject_cast<PluginFactory*>(loader.instance());
  }

  QTemporaryDir temp_;
  TestHttpServer server_;
};

TEST_F(LoaderPluginTest, TheFactoryMakesLoadersThatShareOneQueue) {
  PluginFactory* plugin = factory();
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(plugin->classNames(), QStringList{"Fetchvane.Loader"});
  EXPECT_EQ(plugin->create("Fetchvane.Other"), nullptr);

  // The windows make a new object before each batch and may drop the old one at once:
  // what it queued must still arrive, and only once.
  std::unique_ptr<QObject> first(plugin->create("Fetchvane.Loader"));
  ASSERT_NE(first, nullptr);
  const QString link = server_.url("/hold/50000/shared.wav");
  ASSERT_TRUE(invokeAdd(first.get(), link, temp_.path()));
  ASSERT_TRUE(waitUntil([this] { return server_.heldCount() == 1; }));
  first.reset();

  std::unique_ptr<QObject> second(plugin->create("Fetchvane.Loader"));
  ASSERT_TRUE(invokeAdd(second.get(), link, temp_.path()));
  ASSERT_TRUE(waitUntil([this] {
    server_.releaseHeld();
    return QFile::exists(temp_.filePath("shared.wav"));
  }));
  EXPECT_TRUE(fileHoldsPattern(temp_.filePath("shared.wav"), 50000));
  EXPECT_EQ(server_.requestCount("/hold/50000/shared.wav"), 1);
}

TEST_F(LoaderPluginTest, TheHostLoadsItAndCallsItByName) {
  NetClass host;
  host.setProgramFolder(MAILVANE_BIN_DIR);
  host.setSetClass("Fetchvane.Loader");
  host.setSetAssamblyfile("Fetchvane.dll");
  host.setSetlocation("plugin");
  ASSERT_TRUE(host.Run()) << host.lastError().toStdString();

  ASSERT_TRUE(host.call("Downloadershow")) << host.lastError().toStdString();
  QWidget* window = downloadsWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());

  const QString sounds = temp_.path() + "/Sounds";
  for (const char* path : {"/bytes/3000/a.mid", "/bytes/4000/b.wav", "/status/404/c.mid"}) {
    ASSERT_TRUE(host.call("Add", {server_.url(path), sounds})) << host.lastError().toStdString();
  }
  host.stopp();
  ASSERT_TRUE(waitUntil([&] {
    return server_.openRequests() == 0 && QFile::exists(sounds + "/a.mid") &&
           QFile::exists(sounds + "/b.wav");
  }));
  EXPECT_TRUE(fileHoldsPattern(sounds + "/a.mid", 3000));
  EXPECT_TRUE(fileHoldsPattern(sounds + "/b.wav", 4000));
  EXPECT_EQ(QDir(sounds).entryList(QDir::Files), (QStringList{"a.mid", "b.wav"}));
  window->close();
}

}  // namespace
}  // namespace mailvane::fetchvane
