// The plug-in as the windows use it: made by its factory or loaded by the host and called
// by name, and its downloads window over a queue.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QPluginLoader>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <memory>

#include "controls/NetClass.h"
#include "controls/PluginInterface.h"
#include "plugins/fetchvane/DownloadQueue.h"
#include "plugins/fetchvane/DownloadWindow.h"
#include "tests/plugins/TestApp.h"
#include "tests/support/TestHttpServer.h"

namespace mailvane::fetchvane {
namespace {

using mailvane::testing::fileHoldsPattern;
using mailvane::testing::TestHttpServer;
using mailvane::testing::waitUntil;
using State = Download::State;

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
  static void SetUpTestSuite() { mailvane::testing::ensureApplication<QApplication>(); }

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

// Stands in for the desktop's file manager when the window opens a folder.
class FolderOpener : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public slots:
  void open(const QUrl& url) { opened.append(url); }
};

class DownloadWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { mailvane::testing::ensureApplication<QApplication>(); }

  void SetUp() override {
    window_.show();
    table_ = window_.findChild<QTableView*>("downloadTable");
    ASSERT_NE(table_, nullptr);
  }

  QPushButton* button(const char* name) { return window_.findChild<QPushButton*>(name); }
  void selectRow(int row) {
    table_->clearSelection();
    table_->selectRow(row);
  }
  QString cell(int row, int column) {
    return table_->model()->index(row, column).data().toString();
  }
  int add(const QString& path) { return queue_.add(server_.url(path), temp_.path()); }

  QTemporaryDir temp_;
  TestHttpServer server_;
  DownloadQueue queue_;
  DownloadWindow window_{queue_};
  QTableView* table_ = nullptr;
};

TEST_F(DownloadWindowTest, RowsShowLinkFileSizeAndStateAsTheyChange) {
  QAbstractItemModelTester tester(table_->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  const int done = add("/bytes/2048/done.mid");
  const int missing = add("/status/404/missing.mid");
  const int refused = queue_.add("ftp://127.0.0.1/x.mid", temp_.path());
  const int held = add("/hold/4096/held.mid");
  ASSERT_TRUE(waitUntil([&] {
    return queue_.at(done).state() == State::Finished && queue_.at(missing).state() == State::Failed &&
           server_.heldCount() == 1;
  }));
  EXPECT_EQ(cell(done, DownloadModel::LinkColumn), server_.url("/bytes/2048/done.mid"));
  EXPECT_EQ(cell(done, DownloadModel::FileColumn), "done.mid");
  EXPECT_EQ(cell(done, DownloadModel::SizeColumn), "2.0 KB");
  EXPECT_EQ(cell(done, DownloadModel::ProgressColumn), "100%");
  EXPECT_EQ(cell(done, DownloadModel::StateColumn), "Done");
  EXPECT_EQ(cell(missing, DownloadModel::StateColumn), "Failed: HTTP 404 Not Found");
  EXPECT_TRUE(cell(refused, DownloadModel::StateColumn).startsWith("Refused"));
  EXPECT_EQ(cell(held, DownloadModel::StateColumn), "Downloading");
  EXPECT_EQ(cell(held, DownloadModel::SizeColumn), "2.0 KB of 4.0 KB");
  EXPECT_EQ(window_.findChild<QLabel*>("summaryLabel")->text(), "1 downloading, 1 done, 2 failed");

  queue_.cancelAll();
  queue_.clearEnded();
  EXPECT_EQ(table_->model()->rowCount(), 0);
}

TEST_F(DownloadWindowTest, ButtonsActOnTheSelectedRows) {
  const int held = add("/hold/4096/held.mid");
  const int flaky = add("/flaky/100/flaky.mid");
  ASSERT_TRUE(waitUntil([&] { return queue_.at(flaky).state() == State::Failed && server_.heldCount() == 1; }));

  selectRow(held);
  EXPECT_TRUE(button("cancelButton")->isEnabled());
  EXPECT_FALSE(button("retryButton")->isEnabled());
  button("cancelButton")->click();
  EXPECT_EQ(queue_.at(held).state(), State::Cancelled);

  selectRow(flaky);
  EXPECT_FALSE(button("cancelButton")->isEnabled());
  ASSERT_TRUE(button("retryButton")->isEnabled());
  button("retryButton")->click();
  ASSERT_TRUE(waitUntil([&] { return queue_.at(flaky).state() == State::Finished; }));
  EXPECT_TRUE(fileHoldsPattern(temp_.filePath("flaky.mid"), 100));

  FolderOpener opener;
  QDesktopServices::setUrlHandler("file", &opener, "open");
  button("openFolderButton")->click();
  QDesktopServices::unsetUrlHandler("file");
  EXPECT_EQ(opener.opened, QList<QUrl>{QUrl::fromLocalFile(temp_.path())});

  ASSERT_TRUE(button("clearButton")->isEnabled());
  button("clearButton")->click();
  EXPECT_EQ(queue_.count(), 0);
  EXPECT_FALSE(button("clearButton")->isEnabled());
  EXPECT_FALSE(button("openFolderButton")->isEnabled());
}

}  // namespace
}  // namespace mailvane::fetchvane

#include "LoaderPluginTest.moc"
