#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include "TestApp.h"
#include "tests/support/TestHttpServer.h"
#include "plugins/fetchvane/DownloadQueue.h"
#include "plugins/fetchvane/DownloadWindow.h"

namespace mailvane::fetchvane {
namespace {

using mailvane::testing::fileHoldsPattern;
using mailvane::testing::TestHttpServer;
using mailvane::testing::waitUntil;
using State = Download::State;

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
  static void SetUpTestSuite() { test::ensureApplication<QApplication>(); }

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

#include "DownloadWindowTest.moc"
