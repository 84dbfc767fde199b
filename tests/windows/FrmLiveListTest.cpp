// The folder window's list, a click that loads a message, the views and the settings.
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QWebEngineView>

#include <unistd.h>

#include "system/BrowseForFolder.h"
#include "system/QtSettings.h"
#include "tests/windows/FrmLiveTestSupport.h"
#include "windows/family/FamilyHelpers.h"

namespace mailvane::test {
namespace {

class FrmLiveListTest : public FrmLiveFixture {};

TEST_F(FrmLiveListTest, ListsSubjectsAndFiltersRepliesOnlyWhenAsked) {
  writeBytes(folder() / "a.eml", message("Re: first"));
  writeBytes(folder() / "b.EML", message("SV: second"));
  writeBytes(folder() / "c.nws", message("Reply: third"));
  writeBytes(folder() / "d.eml", message(":x fourth"));
  // "Subject:" at the end of its line: the subject is the next line.
  writeBytes(folder() / "e.eml", "From: a@b\r\nSubject:\r\nNext line subject\r\n\r\nbody\r\n");
  writeBytes(folder() / "f.eml", "no header at all");
  writeBytes(folder() / "g.eml", "");
  writeBytes(folder() / "h.txt", message("not a message file"));
  writeBytes(folder() / "i.eml", message("locked"));
  fs::permissions(folder() / "i.eml", fs::perms::none);
  const bool rootReadsAnyway = ::geteuid() == 0;

  openOn();
  QStringList expected{"Re: first", "SV: second", "Reply: third", ":x fourth", "Next line subject"};
  if (rootReadsAnyway) expected << "locked";
  EXPECT_EQ(rows(list1()), expected);
  EXPECT_EQ(text("Label21"), QString::number(expected.size()));

  child<QCheckBox>("Check1")->click();  // ticked: replies and forwards are left out
  expected.removeAll("Re: first");
  expected.removeAll("SV: second");
  EXPECT_EQ(rows(list1()), expected);
  EXPECT_EQ(settings->value(system::kRE, ""), "1");
  EXPECT_FALSE(child<QProgressBar>("PBar2")->isVisible());
}

TEST_F(FrmLiveListTest, EmptyFolderLeavesAnEmptyListAndNoProgress) {
  openOn();
  EXPECT_EQ(list1()->count(), 0);
  EXPECT_EQ(text("Label21"), "0");
  EXPECT_TRUE(child<QProgressBar>("PBar2")->isHidden());
}

TEST_F(FrmLiveListTest, ClickLoadsTheFileOfItsOwnRowAmongEqualSubjects) {
  writeBytes(folder() / "1.eml", message("Same", "First <first@example.org>"));
  writeBytes(folder() / "2.eml", readBytes(fs::path(MAILVANE_TEST_DATA) / "cli" / "oe-html-mail.eml"));
  writeBytes(folder() / "3.eml", message("Same", "Second <second@example.org>"));
  openOn();
  ASSERT_EQ(rows(list1()), (QStringList{"Same", "Holiday pictures", "Same"}));

  list1()->setCurrentRow(2);
  EXPECT_EQ(text("Label4"), "Second <second@example.org>");
  EXPECT_EQ(text("Label1"), "Test Mailer 1.0");
  EXPECT_EQ(text("Label11"), "1.0");
  EXPECT_EQ(text("Label8"), "Mon, 1 May 2006 10:00:00 +0200");
  EXPECT_TRUE(child<QPlainTextEdit>("R1")->toPlainText().contains("Second"));

  list1()->setCurrentRow(1);
  EXPECT_EQ(text("Label4"), "\"Anna Berg\" <anna@example.com>");
  EXPECT_EQ(text("Label1"), "Microsoft Outlook Express 6.00.2900.2180");
  EXPECT_EQ(rows(list2()), (QStringList{"beach.gif", "waves.wav"}));
  EXPECT_EQ(text("Label10"), "2");
  EXPECT_TRUE(child<QProgressBar>("PBar1")->isHidden());
}

TEST_F(FrmLiveListTest, RowWhoseTextNoLongerMatchesItsRecordLoadsNothing) {
  writeBytes(folder() / "1.eml", message("One", "First <first@example.org>"));
  writeBytes(folder() / "2.eml", message("Two", "Second <second@example.org>"));
  openOn();
  list1()->setCurrentRow(1);
  ASSERT_EQ(text("Label4"), "Second <second@example.org>");
  list1()->item(0)->setText("Changed");
  list1()->setCurrentRow(0);
  EXPECT_EQ(text("Label4"), "Second <second@example.org>");
  EXPECT_TRUE(child<QPlainTextEdit>("R1")->toPlainText().contains("Subject: Two"));
}

TEST_F(FrmLiveListTest, TextViewsShowSourceHtmlAndText) {
  writeBytes(folder() / "m.eml", readBytes(fs::path(MAILVANE_TEST_DATA) / "cli" / "oe-html-mail.eml"));
  openOn();
  list1()->setCurrentRow(0);
  auto* r1 = child<QPlainTextEdit>("R1");
  auto* w1 = child<QWebEngineView>("W1");
  child<QPushButton>("Command11")->click();
  EXPECT_TRUE(r1->toPlainText().contains("<BODY"));
  EXPECT_TRUE(r1->toPlainText().contains("src=\"beach.gif\"")) << "cid links point at the part";
  child<QPushButton>("Command13")->click();
  EXPECT_TRUE(r1->toPlainText().contains(QString::fromUtf8("café by the sea")));
  child<QPushButton>("Command10")->click();
  EXPECT_TRUE(r1->toPlainText().startsWith("From: \"Anna Berg\""));
  EXPECT_FALSE(r1->isHidden());
  EXPECT_TRUE(w1->isHidden());
}

TEST_F(FrmLiveListTest, OpensWithDefaultsAndStoresEachChangeForTheNextOpening) {
  const std::string app = "frmlive-settings-" + std::to_string(::getpid());
  auto openStored = [&] {
    auto store = std::make_unique<system::QtSettings>(app);
    store->setValue(system::kEmails, base().string());
    window = std::make_unique<FrmLive>(std::move(store));
  };
  openStored();
  EXPECT_FALSE(child<QCheckBox>("Check1")->isChecked());
  EXPECT_TRUE(child<QCheckBox>("Check3")->isChecked());
  EXPECT_FALSE(child<QCheckBox>("Check2")->isChecked());
  EXPECT_TRUE(child<QRadioButton>("Option1")->isChecked());
  EXPECT_FALSE(child<QWidget>("Picture3")->isEnabled());

  child<QCheckBox>("Check1")->click();
  child<QCheckBox>("Check2")->click();
  EXPECT_TRUE(child<QWidget>("Picture3")->isEnabled());
  child<QRadioButton>("Option2")->click();
  child<QCheckBox>("Check3")->click();
  window.reset();

  openStored();
  EXPECT_TRUE(child<QCheckBox>("Check1")->isChecked());
  EXPECT_TRUE(child<QCheckBox>("Check2")->isChecked());
  EXPECT_TRUE(child<QWidget>("Picture3")->isEnabled());
  EXPECT_TRUE(child<QRadioButton>("Option2")->isChecked());
  EXPECT_FALSE(child<QRadioButton>("Option1")->isChecked());
  EXPECT_FALSE(child<QCheckBox>("Check3")->isChecked());
  const system::QtSettings check(app);
  EXPECT_EQ(check.value(system::kEmlNws, ""), "False");
  EXPECT_EQ(check.value(system::kSavetxt, ""), "0");
  QFile::remove(QString::fromStdString(check.fileName()));
}

class PickedFolder : public system::FolderPicker {
 public:
  explicit PickedFolder(std::string folder) : folder_(std::move(folder)) {}
  std::string start;
  std::string title;

 protected:
  std::string showFolderDialog(const std::string& startFolder, const std::string& caption) override {
    start = startFolder;
    title = caption;
    return folder_;
  }

 private:
  std::string folder_;
};

TEST_F(FrmLiveListTest, PickedFolderIsShownAndStoredButExtractionKeepsItsFolder) {
  open();
  ASSERT_EQ(window->outputFolder(), output());
  EXPECT_TRUE(fs::is_directory(output()));
  auto* text1 = child<QLineEdit>("Text1");
  EXPECT_EQ(text1->text().toStdString(), output().string());

  const fs::path picked = root() / "elsewhere";
  fs::create_directories(picked);
  auto picker = std::make_unique<PickedFolder>(picked.string());
  PickedFolder* seen = picker.get();
  window->setFolderPicker(std::move(picker));
  child<QPushButton>("Command15")->click();
  EXPECT_EQ(seen->start, output().string());
  EXPECT_EQ(seen->title, "Select the folder to where to save files.");
  EXPECT_EQ(text1->text().toStdString(), picked.string());
  EXPECT_EQ(settings->value(system::kEmails, ""), picked.string());
  EXPECT_EQ(window->outputFolder(), output());

  // The next opening works below the picked folder's own Emails sub-folder.
  auto store = std::make_unique<system::MemorySettings>();
  store->setValue(system::kEmails, picked.string());
  window = std::make_unique<FrmLive>(std::move(store));
  EXPECT_EQ(window->outputFolder(), picked / "Emails");
}

TEST_F(FrmLiveListTest, SettingsPanelOpensAndClosesFromItsLabelsAndButton) {
  open();
  window->show();
  auto* panel = child<QWidget>("Picture2");
  auto* plus = child<QLabel>("Label18");
  EXPECT_TRUE(panel->isHidden());
  window->Label18_Click();
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(plus->text(), "-");
  child<QPushButton>("Command3")->click();
  EXPECT_TRUE(panel->isHidden());
  EXPECT_EQ(plus->text(), "+");
}

TEST_F(FrmLiveListTest, StoreJumpWithoutAStoreSaysSoAndStays) {
  openOn();
  const QString before = window->folders()->path();
  MsgBox::answerNextWith(QMessageBox::Ok);
  trigger("mnugotoLive");
  ASSERT_EQ(MsgBox::answered().size(), 1);
  EXPECT_EQ(MsgBox::answered()[0].text, "Didn't find the stoore folder");
  EXPECT_EQ(MsgBox::answered()[0].icon, QMessageBox::Information);
  EXPECT_EQ(window->folders()->path(), before);
}

TEST_F(FrmLiveListTest, StoreJumpShowsTheStoreFolderOfTheRegistry) {
  const fs::path wine = fs::path(qgetenv("MAILVANE_REGISTRY").toStdString()).parent_path();
  const fs::path home = qgetenv("HOME").toStdString();
  fs::create_directories(home / "Mail Store");
  writeBytes(home / "Mail Store" / "x.eml", message("In the store"));
  writeBytes(wine / "user.reg",
             "WINE REGISTRY Version 2\n\n[Software\\\\Microsoft\\\\Windows Mail] 1\n"
             "\"Store Root\"=str(2):\"%USERPROFILE%\\\\Mail Store\"\n");
  openOn();
  trigger("mnugotoMail");
  fs::remove(wine / "user.reg");
  EXPECT_TRUE(MsgBox::answered().isEmpty());
  EXPECT_EQ(window->folders()->path().toStdString(), (home / "Mail Store").string());
  EXPECT_EQ(rows(list1()), QStringList{"In the store"});
}

TEST_F(FrmLiveListTest, DecodingFailureOfTheParserIsShownAsACriticalBox) {
  open();
  MsgBox::answerNextWith(QMessageBox::Ok);
  ASSERT_TRUE(window->parser().DecodeErrorReporter);
  window->parser().DecodeErrorReporter("Invalid procedure call or argument");
  ASSERT_EQ(MsgBox::answered().size(), 1);
  EXPECT_EQ(MsgBox::answered()[0].title, "Err in deQuote");
  EXPECT_EQ(MsgBox::answered()[0].text, "Invalid procedure call or argument");
  EXPECT_EQ(MsgBox::answered()[0].icon, QMessageBox::Critical);
}

TEST(FamilyHelpers, LoadBagReadsOneTaggedValueAndRefusesShortOrUnknownData) {
  QTemporaryDir dir;
  const fs::path bag = fs::path(dir.path().toStdString()) / "bag.bin";
  writeBytes(bag, std::string("\x08\x00\x05\x00hello", 9));
  EXPECT_EQ(FamilyHelpers::loadBag(bag), QVariant(QStringLiteral("hello")));
  writeBytes(bag, std::string("\x03\x00\x2a\x00\x00\x00", 6));
  EXPECT_EQ(FamilyHelpers::loadBag(bag), QVariant(42));
  writeBytes(bag, std::string("\x08\x00\x09\x00hello", 9));
  EXPECT_FALSE(FamilyHelpers::loadBag(bag).isValid());
  writeBytes(bag, std::string("\x63\x00\x01\x00", 4));
  EXPECT_FALSE(FamilyHelpers::loadBag(bag).isValid());
  EXPECT_FALSE(FamilyHelpers::loadBag(bag.parent_path() / "missing").isValid());
}

}  // namespace
}  // namespace mailvane::test
