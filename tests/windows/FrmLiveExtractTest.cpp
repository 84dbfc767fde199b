// The five extraction commands over the selected messages of a folder, compared with
// golden trees in tests/data/windows/extraction/<command>/. Set MAILVANE_WRITE_GOLDEN=1
// to rewrite the trees after a deliberate change, and review the difference.
#include <QProgressBar>
#include <QUrl>

#include <set>

#include "tests/windows/FrmLiveTestSupport.h"

namespace mailvane::test {
namespace {

const fs::path kGolden = fs::path(MAILVANE_TEST_DATA) / "windows" / "extraction";

class FrmLiveExtractTest : public FrmLiveFixture {
 protected:
  // The command line's sample messages; rows sorted by file name.
  void writeSamples() {
    for (const char* name :
         {"news-uuencode.nws", "oe-html-mail.eml", "other-client.eml", "plain-text.eml"})
      writeBytes(folder() / name, readBytes(fs::path(MAILVANE_TEST_DATA) / "cli" / name));
  }
  void openOnSamples() {
    writeSamples();
    openOn();
    ASSERT_EQ(rows(list1()), (QStringList{"Re: photo of the old mill", "Holiday pictures",
                                          "Quarterly report", "Meeting on 12.04.2006"}));
  }

  void expectGolden(const char* command) {
    const auto written = treeOf(output());
    if (qEnvironmentVariableIsSet("MAILVANE_WRITE_GOLDEN")) {
      fs::remove_all(kGolden / command);
      for (const auto& [name, bytes] : written) writeBytes(kGolden / command / name, bytes);
    }
    const auto golden = treeOf(kGolden / command);
    ASSERT_FALSE(golden.empty()) << command;
    std::set<std::string> writtenNames, goldenNames;
    for (const auto& entry : written) writtenNames.insert(entry.first);
    for (const auto& entry : golden) goldenNames.insert(entry.first);
    EXPECT_EQ(writtenNames, goldenNames) << command;
    for (const auto& [name, bytes] : golden) {
      const auto found = written.find(name);
      const std::string got = found == written.end() ? std::string() : found->second;
      EXPECT_EQ(got, bytes) << command << ": " << name;
    }
  }

  // What the window says after a walk, and what its folder button opens (nothing when
  // the button is hidden).
  void expectReport(const QString& said, bool offersFolder) {
    EXPECT_EQ(text("walkReport"), said);
    auto* open = child<QPushButton>("openOutput");
    EXPECT_EQ(!open->isHidden(), offersFolder);
    QList<QUrl> opened;
    window->setDesktopOpener([&](const QUrl& url) { opened << url; });
    if (!open->isHidden()) open->click();
    const QUrl folder = QUrl::fromLocalFile(QString::fromStdString(output().string()));
    EXPECT_EQ(opened, offersFolder ? QList<QUrl>{folder} : QList<QUrl>{});
  }

  void expectWalkEnded() {
    EXPECT_TRUE(child<QProgressBar>("PBar1")->isHidden());
    EXPECT_TRUE(child<QProgressBar>("PBar2")->isHidden());
    EXPECT_FALSE(window->walkRunning());
    EXPECT_TRUE(MsgBox::answered().isEmpty()) << "no failures to report";
  }
};

TEST_F(FrmLiveExtractTest, EachCommandWritesAFolderPerSelectedMessage) {
  openOnSamples();
  selectRows({0, 1, 3});
  click("Command14");
  expectGolden("all");
  expectWalkEnded();
  expectReport("3 messages written.", true);
  EXPECT_EQ(list2()->count(), 0);
  EXPECT_EQ(text("Label10"), "0");

  // The commands for one kind each share one folder per kind.
  const auto clearOutput = [&] {
    for (const auto& entry : fs::directory_iterator(output())) fs::remove_all(entry.path());
  };
  clearOutput();
  for (const char* command : {"mnuExtractHtml", "mnuExtracttxt", "mnuExtractSoundsOnly"})
    trigger(command);
  expectGolden("only");
  expectWalkEnded();

  // Everything from the menu, and the text left out when asked.
  clearOutput();
  child<QCheckBox>("Check3")->click();
  selectRows({1});
  trigger("mnuExtractAll");
  const auto written = treeOf(output());
  EXPECT_TRUE(written.count("Holidaypictures/Holidaypictures.htm"));
  EXPECT_TRUE(written.count("Holidaypictures/beach.gif"));
  EXPECT_FALSE(written.count("Holidaypictures/Holidaypictures.txt"));
}

TEST_F(FrmLiveExtractTest, NothingIsWrittenWithoutASelection) {
  openOnSamples();
  list2()->addItem("left from before");
  for (const char* command :
       {"mnuExtractAll", "mnuExtractHtml", "mnuExtracttxt", "mnuExtractSoundsOnly"})
    trigger(command);
  click("Command14");
  EXPECT_TRUE(treeOf(output()).empty());
  expectReport("0 messages written.", false);
  EXPECT_EQ(list2()->count(), 0);
  EXPECT_EQ(text("Label10"), "0");
  EXPECT_FALSE(child<QAction>("mnuExtractimg")->isVisible());
}

TEST_F(FrmLiveExtractTest, UnsentCopyFollowsCheck2AndTheChosenKind) {
  openOnSamples();
  selectRows({1});
  const fs::path folder = output() / "Holidaypictures";
  auto extractWith = [&](bool copy, const char* option) {
    fs::remove_all(output());
    fs::create_directories(output());
    if (child<QCheckBox>("Check2")->isChecked() != copy) child<QCheckBox>("Check2")->click();
    child<QRadioButton>(option)->click();
    click("Command14");
  };
  extractWith(false, "Option1");
  EXPECT_FALSE(fs::exists(folder / "Holidaypictures.eml"));
  EXPECT_FALSE(fs::exists(folder / "Holidaypictures.nws"));

  extractWith(true, "Option1");
  const std::string copy = readBytes(folder / "Holidaypictures.eml");
  EXPECT_NE(copy.find("X-Unsent: 1"), std::string::npos);
  EXPECT_FALSE(fs::exists(folder / "Holidaypictures.nws"));

  extractWith(true, "Option2");
  EXPECT_TRUE(fs::exists(folder / "Holidaypictures.nws"));
  EXPECT_FALSE(fs::exists(folder / "Holidaypictures.eml"));
  EXPECT_EQ(settings->value(system::kEmlNws, ""), "False");
  EXPECT_EQ(settings->value(system::kSaveEmlNws, ""), "1");
}

TEST_F(FrmLiveExtractTest, EqualSubjectsInOneWalkGetFoldersOfTheirOwn) {
  const std::string picture = readBytes(fs::path(MAILVANE_TEST_DATA) / "cli" / "oe-html-mail.eml");
  writeBytes(folder() / "1.eml", picture);
  writeBytes(folder() / "2.eml",
             message("Holiday pictures", "Other <o@example.org>", "Second.\r\n"));
  openOn();
  selectRows({0, 1});
  click("Command14");
  EXPECT_TRUE(fs::exists(output() / "Holidaypictures" / "beach.gif"));
  EXPECT_TRUE(fs::exists(output() / "Holidaypictures1" / "Holidaypictures.txt"));
}

TEST_F(FrmLiveExtractTest, FailureToWriteIsReportedAndTheWalkGoesOn) {
  openOnSamples();
  writeBytes(output() / "Holidaypictures", "a file where the folder should go");
  selectRows({1, 3});
  MsgBox::answerNextWith(QMessageBox::Ok);
  click("Command14");
  ASSERT_EQ(MsgBox::answered().size(), 1);
  EXPECT_TRUE(MsgBox::answered()[0].text.contains("Holiday pictures"));
  EXPECT_TRUE(fs::exists(output() / "Meetingon12042006" / "Meetingon12.04.2006.txt"));
  expectReport("1 message written, 1 failed.", true);
}

// Presses the extraction commands again whenever the walk reads a message, as an
// impatient user could while the walk yields.
class ImpatientFrmLive : public FrmLive {
 public:
  using FrmLive::FrmLive;
  int walkReads = 0;
  bool extractEnabledDuringWalk = true;

 protected:
  std::string messageText(const MSlivemsgs& record) override {
    if (walkRunning()) {
      ++walkReads;
      extractEnabledDuringWalk = findChild<QPushButton*>(QStringLiteral("Command14"))->isEnabled();
      Command14_Click();
      mnuExtractHtml_Click();
    }
    return FrmLive::messageText(record);
  }
};

TEST_F(FrmLiveExtractTest, NoSecondWalkStartsWhileOneRuns) {
  writeSamples();
  ImpatientFrmLive* live = open<ImpatientFrmLive>();
  showFolder();
  selectRows({1, 3});
  click("Command14");
  EXPECT_EQ(live->walkReads, 2);
  EXPECT_FALSE(live->extractEnabledDuringWalk);
  EXPECT_TRUE(child<QPushButton>("Command14")->isEnabled());
  std::set<std::string> folders;
  for (const auto& entry : fs::directory_iterator(output()))
    folders.insert(entry.path().filename().string());
  EXPECT_EQ(folders, (std::set<std::string>{"Holidaypictures", "Meetingon12042006"}));
}

}  // namespace
}  // namespace mailvane::test
