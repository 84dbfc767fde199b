// The DBX window: opening .dbx files through the plug-in, the list, a click, extraction
// and what the window remembers; and opening files given to the program.
#include <QAction>
#include <QCoreApplication>
#include <QProcess>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "tests/plugins/toolbench/DbxBuilder.h"
#include "tests/windows/FrmLiveTestSupport.h"
#include "windows/FrmDbxExtract/FrmDbxExtract.h"
#include "windows/family/SettingsPanel.h"
#include "windows/shell/GivenPaths.h"
#include "windows/shell/WindowCatalog.h"
#include "windows/shell/WindowRegistry.h"

namespace mailvane::test {
namespace {

// A message with one attached picture, so an extraction writes more than text.
std::string withPicture(const std::string& subject) {
  return "From: Ann <ann@example.org>\r\nSubject: " + subject +
         "\r\nDate: Mon, 1 May 2006 10:00:00 +0200\r\nMIME-Version: 1.0\r\n"
         "Content-Type: multipart/mixed;\r\n\tboundary=\"b1\"\r\n\r\n"
         "--b1\r\nContent-Type: text/plain;\r\n\tcharset=\"iso-8859-1\"\r\n"
         "Content-Transfer-Encoding: 7bit\r\n\r\nSee the picture.\r\n"
         "--b1\r\nContent-Type: image/gif;\r\n\tname=\"dot.gif\"\r\n"
         "Content-Transfer-Encoding: base64\r\n"
         "Content-Disposition: attachment;\r\n\tfilename=\"dot.gif\"\r\n\r\n"
         "R0lGODlhAQABAIAAAP///wAAACwAAAAAAQABAAACAkQBADs=\r\n--b1--\r\n";
}

// The window with its records in view.
class DbxWindow : public FrmDbxExtract {
 public:
  using FrmDbxExtract::FrmDbxExtract;
  using FrmDbxExtract::Msglist;
};

class FrmDbxExtractTest : public MessageWindowFixture<DbxWindow> {
 protected:
  // Four messages: a picture, a reply, one whose block chain loops (never readable) and
  // a second with the first one's subject.
  fs::path writeInbox(const std::string& name = "Inbox.dbx") {
    dbx::test::DbxBuilder file;
    std::vector<uint32_t> records;
    records.push_back(file.addMessage(1, "Hi", file.addChain(withPicture("Hi"))));
    records.push_back(file.addMessage(2, "Re: Hi", file.addChain(message("Re: Hi"))));
    const uint32_t loop = file.addChain(std::string(600, 'x'));
    file.putU32(loop + 0x210 + 12, loop);
    records.push_back(file.addMessage(3, "Broken", loop));
    records.push_back(file.addMessage(4, "Hi", file.addChain(message("Hi"))));
    file.setTree1(file.addTree(records, 2), static_cast<uint32_t>(records.size()));
    const fs::path path = root() / name;
    file.save(path);
    return path;
  }

  // Opens the window; "Open" then answers with `answer` and notes where it started.
  void openWindow(const std::map<std::string, std::string>& preset = {}) {
    open(preset);
    window->setFileChooser([this](QWidget*, const QString& start) {
      startFolders << start;
      return answer;
    });
  }
  void pressOpen(const fs::path& file) {
    answer = QString::fromStdString(file.string());
    child<QPushButton>("Command18")->click();
  }
  QStringList liveFileIDs() const {
    QStringList ids;
    for (int i = 1; i <= window->Msglist.Count(); ++i)
      ids << QString::fromStdString(window->Msglist.item(i)->LiveFileID);
    return ids;
  }

  // The message on show as the source view shows it, with its CR LF line ends back.
  std::string shownText() const {
    return child<QPlainTextEdit>("R1")->toPlainText().replace("\n", "\r\n").toStdString();
  }

  QString answer;
  QStringList startFolders;
};

TEST_F(FrmDbxExtractTest, ListsMessagesByNumberAndReadsEveryMessageThroughThePlugIn) {
  const fs::path inbox = writeInbox();
  openWindow({{std::string(system::kRE), "1"}});
  // Offered as in the other windows but with nothing behind them here: not usable.
  EXPECT_TRUE(child<QAction>("mnuExtractimg")->isVisible());
  for (const char* item : {"mnuExtractimg", "mnugotoLive"})
    EXPECT_FALSE(child<QAction>(item)->isEnabled()) << item;
  // This window words some of the family's commands its own way.
  EXPECT_EQ(child<QAction>("mnucheckforfonts")->text(), "Check for Online Fonts in Selected");
  EXPECT_EQ(child<QAction>("mnudownload")->text(), "Download selected");
  EXPECT_EQ(child<QAction>("mnudownloadfonts1")->text(), "Download Selected");
  MsgBox::answerNextWith(QMessageBox::Ok);
  pressOpen(inbox);
  EXPECT_EQ(window->Msgcount, 4);
  // The reply is left out; the looping message cannot be read, is not listed, and said so.
  EXPECT_EQ(rows(list1()), (QStringList{"Hi", "Hi"}));
  EXPECT_EQ(liveFileIDs(), (QStringList{"0", "3"}));
  EXPECT_EQ(text("Label21"), "2");
  ASSERT_EQ(MsgBox::answered().size(), 1);
  EXPECT_TRUE(MsgBox::answered()[0].text.contains(QString::fromStdString(inbox.string())));
  EXPECT_TRUE(MsgBox::answered()[0].text.contains("1 message could not be read"))
      << MsgBox::answered()[0].text.toStdString();
  EXPECT_TRUE(child<QProgressBar>("PBar2")->isHidden());
  EXPECT_EQ(settings->value(system::kOpenstore, ""), inbox.string());

  // A click reads the message again from the plug-in, by the number its record keeps.
  list1()->setCurrentRow(0);
  EXPECT_EQ(text("Label4"), "Ann <ann@example.org>");
  EXPECT_EQ(rows(list2()), (QStringList{"dot.gif"}));
  EXPECT_EQ(text("Label10"), "1");
  list1()->setCurrentRow(1);
  EXPECT_EQ(shownText(), message("Hi"));

  // The reply filter refills from the plug-in without asking for the file again, and is
  // not remembered; nor are the other choices of the panel.
  child<QCheckBox>("Check1")->click();
  EXPECT_EQ(rows(list1()), (QStringList{"Hi", "Re: Hi", "Hi"}));
  EXPECT_EQ(liveFileIDs(), (QStringList{"0", "1", "3"}));
  child<QCheckBox>("Check2")->click();
  EXPECT_TRUE(child<QFrame>("Picture3")->isEnabled());
  child<QCheckBox>("Check3")->click();
  child<QRadioButton>("Option2")->click();
  EXPECT_EQ(settings->value(system::kRE, ""), "1");
  for (auto key : {system::kSaveEmlNws, system::kSavetxt, system::kEmlNws})
    EXPECT_EQ(settings->value(key, "unset"), "unset") << key;
  EXPECT_EQ(startFolders.size(), 1);

  // The next "Open" starts where the last file was.
  MsgBox::answerNextWith(QMessageBox::Ok);
  pressOpen(inbox);
  EXPECT_EQ(startFolders.value(1), QString::fromStdString(inbox.string()));
}

TEST_F(FrmDbxExtractTest, WhatIsOpenedAndWhatLeavesTheWindowAsItWas) {
  const fs::path inbox = writeInbox("MAIL.DBX");
  dbx::test::DbxBuilder::messages({}).save(root() / "Empty.dbx");
  writeBytes(root() / "Damaged.dbx", std::string(4096, '\x17'));
  writeBytes(root() / "notes.txt", message("Hi"));
  openWindow();
  MsgBox::answerNextWith(QMessageBox::Ok);
  pressOpen(inbox);  // the ending is compared in lower case
  ASSERT_EQ(list1()->count(), 3);

  // Neither a file of another kind nor an unreadable one changes the list, and the list
  // still reads from the file it came from.
  pressOpen(root() / "notes.txt");
  EXPECT_TRUE(MsgBox::answered().size() == 1);
  MsgBox::answerNextWith(QMessageBox::Ok);
  pressOpen(root() / "Damaged.dbx");
  ASSERT_EQ(MsgBox::answered().size(), 2);
  EXPECT_TRUE(MsgBox::answered()[1].text.startsWith(
      QString::fromStdString((root() / "Damaged.dbx").string()) + " could not be opened:\n"))
      << MsgBox::answered()[1].text.toStdString();
  EXPECT_EQ(list1()->count(), 3);
  EXPECT_EQ(window->openedFile().toStdString(), (root() / "MAIL.DBX").string());
  EXPECT_EQ(settings->value(system::kOpenstore, ""), inbox.string());
  list1()->setCurrentRow(2);
  EXPECT_EQ(shownText(), message("Hi"));

  // An empty message folder is a file like any other: an empty list and no progress.
  pressOpen(root() / "Empty.dbx");
  EXPECT_EQ(window->Msgcount, 0);
  EXPECT_EQ(list1()->count(), 0);
  EXPECT_TRUE(child<QProgressBar>("PBar2")->isHidden());
  EXPECT_EQ(MsgBox::answered().size(), 2);
}

TEST_F(FrmDbxExtractTest, ASecondOpenOrClosingStopsALongFill) {
  std::vector<std::string> texts(20000, message("Many"));
  dbx::test::DbxBuilder::messages(texts).save(root() / "Many.dbx");
  const fs::path inbox = writeInbox();
  openWindow();
  window->show();
  // Runs `action` once the fill has listed its first rows, at one of its yields.
  QTimer watch;
  std::function<void()> action;
  watch.callOnTimeout([&] {
    if (list1()->count() == 0 || !action) return;
    std::exchange(action, nullptr)();
  });
  watch.start(1);
  // A second "Open" while the list fills, or one right after the dialog, before the
  // first file is read: either way the second file is what stays listed.
  for (bool early : {false, true}) {
    action = [&] {
      MsgBox::answerNextWith(QMessageBox::Ok);
      pressOpen(inbox);
    };
    if (early) {
      list1()->clear();
      QTimer::singleShot(0, window.get(), std::exchange(action, nullptr));
    }
    pressOpen(root() / "Many.dbx");
    EXPECT_EQ(rows(list1()), (QStringList{"Hi", "Re: Hi", "Hi"})) << early;
    EXPECT_EQ(window->openedFile().toStdString(), inbox.string()) << early;
  }
  action = [&] { window->close(); };
  pressOpen(root() / "Many.dbx");
  EXPECT_GT(list1()->count(), 0);
  EXPECT_LT(list1()->count(), 20000);
}

TEST_F(FrmDbxExtractTest, ExtractingEveryRowGivesWhatTheCommandLineGives) {
  const fs::path inbox = writeInbox();
  openWindow();
  MsgBox::answerNextWith(QMessageBox::Ok);
  pressOpen(inbox);
  list1()->selectAll();
  click("Command14");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->walkRunning(); }, 10000));

  QProcess cli;
  cli.start(QCoreApplication::applicationDirPath() + "/mailvane",
            {"dbx", "extract", "-o", QString::fromStdString((root() / "cli").string()),
             QString::fromStdString(inbox.string())});
  ASSERT_TRUE(cli.waitForFinished(30000));
  const auto fromWindow = treeOf(output());
  EXPECT_EQ(fromWindow, treeOf(root() / "cli"));
  EXPECT_EQ(fromWindow.at("Hi/dot.gif"),
            std::string("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00,"
                        "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02"
                        "D\x01\x00;",
                        35));
  EXPECT_TRUE(fromWindow.count("Hi1/Hi.txt")) << ::testing::PrintToString(fromWindow.size());
}

TEST_F(FrmDbxExtractTest, SampleFoldersListTheirMessages) {
  const fs::path samples = fs::path(MAILVANE_SHARED_SAMPLES) / "dbx";
  if (!fs::exists(samples / "EXPECTED.tsv")) GTEST_SKIP() << "no samples";
  openWindow();
  for (const char* name : {"mcguire_Inbox.dbx", "perl-mtd_test.dbx"}) {
    SCOPED_TRACE(name);
    pressOpen(samples / name);
    EXPECT_EQ(window->Msgcount, 1);
    ASSERT_EQ(list1()->count(), 1);
    EXPECT_FALSE(list1()->item(0)->text().isEmpty());
    list1()->setCurrentRow(0);
    EXPECT_FALSE(text("Label4").isEmpty());
  }
  EXPECT_TRUE(MsgBox::answered().isEmpty());
}

// `mailvane PATH...`: each path in the window that fits it, a box for the rest.
TEST_F(FrmDbxExtractTest, GivenPathsOpenInTheirWindows) {
  const fs::path inbox = writeInbox();
  writeBytes(folder() / "a.eml", message("First"));
  writeBytes(folder() / "b.nws", message("Second"));
  writeBytes(root() / "notes.txt", "text");
  using Kind = GivenPaths::Kind;
  const std::vector<std::pair<fs::path, Kind>> kinds = {{inbox, Kind::Dbx},
                                                        {folder() / "b.nws", Kind::Message},
                                                        {folder(), Kind::Folder},
                                                        {root() / "gone.eml", Kind::Missing},
                                                        {root() / "notes.txt", Kind::Other}};
  for (const auto& [path, kind] : kinds)
    EXPECT_EQ(GivenPaths::kindOf(QString::fromStdString(path.string())), kind) << path;

  WindowRegistry windows;
  registerProgramWindows(windows);
  MsgBox::answerNextWith(QMessageBox::Ok);  // the damaged message of the .dbx file
  MsgBox::answerNextWith(QMessageBox::Ok);  // the two paths that cannot be opened
  GivenPaths::open(windows,
                   {QString::fromStdString(inbox.string()),
                    QString::fromStdString((folder() / "b.nws").string()),
                    QString::fromStdString((root() / "gone.eml").string()),
                    QString::fromStdString((root() / "notes.txt").string())},
                   nullptr);
  auto* dbx = qobject_cast<FrmDbxExtract*>(windows.loaded("FrmDbxExtract"));
  ASSERT_NE(dbx, nullptr);
  EXPECT_EQ(dbx->openedFile().toStdString(), inbox.string());
  auto* live = qobject_cast<FrmLive*>(windows.loaded("FrmLive"));
  ASSERT_NE(live, nullptr);
  EXPECT_EQ(live->folders()->path().toStdString(), folder().string());
  auto* list = live->findChild<QListWidget*>("List1");
  ASSERT_EQ(list->currentRow(), 1);
  EXPECT_EQ(list->currentItem()->text(), "Second");
  EXPECT_EQ(live->parser().Subject, "Second");
  ASSERT_EQ(MsgBox::answered().size(), 2);
  EXPECT_EQ(MsgBox::answered()[1].text.toStdString(),
            (root() / "gone.eml").string() + " does not exist.\n" +
                (root() / "notes.txt").string() + " is not a .dbx, .eml or .nws file or a folder.");
}

}  // namespace
}  // namespace mailvane::test
