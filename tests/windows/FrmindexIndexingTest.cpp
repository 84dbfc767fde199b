// The search window keeps the index current: opening starts a scan of the index folders,
// the list follows when the scan ends, the line under the list says what the index
// holds, and the settings panel adds and removes index folders.
#include <QDateTime>
#include <QListWidget>
#include <QLocale>

#include <functional>
#include <optional>

#include "tests/windows/FrmindexTestSupport.h"
#include "windows/Frmindex/IndexFolders.h"
#include "windows/Frmindex/IndexStatus.h"

namespace mailvane::test {
namespace {

class FrmindexIndexingTest : public FrmindexFixture {};

TEST_F(FrmindexIndexingTest, OpeningOnAnEmptyIndexListsTheNewsOnceTheScanEnds) {
  write("one.nws", "First news");
  write("two.nws", "Second news");
  write("mail.eml", "A mail");
  ASSERT_FALSE(fs::exists(indexFile()));
  open();
  EXPECT_EQ(rows(), (QStringList{"First news", "Second news"}));
  EXPECT_EQ(text("Label21"), "2");
  EXPECT_TRUE(status().startsWith("The index holds 3 messages, brought up to date "))
      << status().toStdString();
}

TEST_F(FrmindexIndexingTest, TheScanAtAReopeningRefreshesTheListButLeavesAnUnchangedOneAlone) {
  write("one.nws", "First news");
  indexTree();
  open();
  ASSERT_EQ(rows(), QStringList{"First news"});
  window->show();
  list1()->setCurrentRow(0);
  ASSERT_EQ(text("Label4"), "Ann <ann@example.org>");

  window->close();
  window->show();  // a scan that finds nothing new keeps the message on show
  waitForIndexing();
  EXPECT_EQ(text("Label4"), "Ann <ann@example.org>");
  EXPECT_EQ(list1()->currentRow(), 0);

  write("two.nws", "Second news");
  fs::remove(news() / "one.nws");
  window->close();
  window->show();
  waitForIndexing();
  EXPECT_EQ(rows(), QStringList{"Second news"}) << status().toStdString();
  EXPECT_EQ(text("Label4"), "");
}

TEST_F(FrmindexIndexingTest, IndexFoldersAreAddedAndRemovedInTheSettingsAndTheIndexFollows) {
  write("one.nws", "First news");
  const fs::path more = root() / "more";
  writeBytes(more / "three.nws", newsMessage("Third news"));
  open();
  IndexFolders* folders = window->indexFolders();
  ASSERT_EQ(folders->indexFolders->count(), 1);
  EXPECT_EQ(folders->indexFolders->item(0)->text().toStdString(), news().string());
  EXPECT_FALSE(folders->removeIndexFolder->isEnabled());

  folders->setFolderPicker(std::make_unique<AnsweringPicker>(more.string()));
  folders->addIndexFolder->click();
  EXPECT_EQ(settings->value(index::kIndexRoots, ""), more.string() + ";" + news().string());
  waitForIndexing();
  EXPECT_EQ(rows(), (QStringList{"Third news", "First news"}));

  const auto found =
      folders->indexFolders->findItems(QString::fromStdString(news().string()), Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1);
  found[0]->setSelected(true);
  ASSERT_TRUE(folders->removeIndexFolder->isEnabled());
  folders->removeIndexFolder->click();
  EXPECT_EQ(settings->value(index::kIndexRoots, ""), more.string());
  ASSERT_EQ(folders->indexFolders->count(), 1);
  waitForIndexing();
  EXPECT_EQ(rows(), QStringList{"Third news"});  // the folder's messages left with it
  EXPECT_TRUE(status().startsWith("The index holds 1 message,")) << status().toStdString();

  // A name the setting cannot hold is refused with a word, not stored.
  const fs::path semicolon = root() / "a;b";
  fs::create_directories(semicolon);
  folders->setFolderPicker(std::make_unique<AnsweringPicker>(semicolon.string()));
  MsgBox::answerNextWith(QMessageBox::Ok);
  folders->addIndexFolder->click();
  ASSERT_EQ(MsgBox::answered().size(), 1);
  EXPECT_EQ(settings->value(index::kIndexRoots, ""), more.string());
}

IndexStatus status(std::optional<int64_t> messages, std::optional<int64_t> lastUpdate,
                   const std::function<void(IndexStatus&)>& more = {}) {
  IndexStatus made;
  made.messages = messages;
  made.lastUpdate = lastUpdate;
  if (more) more(made);
  return made;
}

TEST(IndexStatusLine, SaysWhatTheIndexHoldsAndWhatWentWrong) {
  const QString updated =
      QLocale().toString(QDateTime::fromSecsSinceEpoch(1700000000), QLocale::ShortFormat);
  const QLocale here;  // numbers are grouped as the user's locale groups them
  const struct {
    IndexStatus status;
    QString said;
  } cases[] = {
      {status(1234, 1700000000),
       "The index holds " + here.toString(1234) + " messages, brought up to date " + updated + "."},
      {status(1, {}), "The index holds 1 message, not yet brought up to date."},
      {status(0, {}, [](IndexStatus& s) { s.scanning = true, s.seen = 1500; }),
       "The index holds 0 messages, not yet brought up to date. Updating the index: " +
           here.toString(1500) + " files looked at."},
      {status(2, 1700000000, [](IndexStatus& s) { s.scanError = "disk full"; }),
       "The index holds 2 messages, brought up to date " + updated +
           ". The index could not be brought up to date: disk full."},
      {status(
           5, {},
           [](IndexStatus& s) { s.searchError = "cannot read the query: the query is too long"; }),
       "The search failed: cannot read the query: the query is too long."},
      {status({}, {},
              [](IndexStatus& s) {
                s.searchError = "cannot open the index /x: unable to open database file";
              }),
       "The search failed: cannot open the index /x: unable to open database file."},
      {status(
           0, {},
           [](IndexStatus& s) { s.notice = "the index was damaged and has been started again"; }),
       "The index was damaged and has been started again. The index holds 0 messages, not yet "
       "brought up to date."},
  };
  for (const auto& c : cases) EXPECT_EQ(c.status.text(), c.said);
}

}  // namespace
}  // namespace mailvane::test
