// The personal folders window: the store's folders, the listing of a folder with and
// without the reply filter, a store that is not found, and a large folder that lists
// while the window answers.
#include <QPointer>
#include <QTimer>

#include "controls/EdgewiseVert.h"
#include "tests/windows/FrmExtractTestSupport.h"

namespace mailvane::test {
namespace {

using FrmExtractList = FrmExtractFixture;

const std::vector<std::string> kInbox = {plainMessage("Hello"), plainMessage("Re: Hello"),
                                         plainMessage("Sv: Hei"), plainMessage("Meeting: at noon"),
                                         plainMessage("Fwd: long prefix")};

TEST_F(FrmExtractList, BothStoreKindsListTheirFoldersAndMessagesByFilter) {
  for (bool outlookExpress : {false, true}) {
    SCOPED_TRACE(outlookExpress ? "Outlook Express" : "Windows Mail");
    fs::remove_all(store());
    if (outlookExpress) {
      dbxFolder("Inbox", kInbox);
      dbxFolder("Sent", {plainMessage("Out")});
    } else {
      mailFolder("Inbox", kInbox);
      mailFolder("Sent", {plainMessage("Out")});
    }
    open();
    EXPECT_EQ(rows(list1()), QStringList({"Inbox", "Sent"}));
    EXPECT_TRUE(child<QCheckBox>("Check2")->isChecked());

    listFolder(QStringLiteral("Inbox"));
    // Two-letter prefixes are replies; "Meeting:" and "Fwd:" are not.
    EXPECT_EQ(rows(list2()), QStringList({"Hello", "Meeting: at noon", "Fwd: long prefix"}));
    EXPECT_EQ(child<QLabel>("Label4")->text(), QStringLiteral("Messages in folder: 3"));

    click("Check2");  // unticked: the folder lists again, replies and all
    ASSERT_EQ(rows(list2()).size(), 5);
    EXPECT_EQ(child<QLabel>("Label4")->text(), QStringLiteral("Messages in folder: 5"));
    // Each row carries its message's identifier.
    EXPECT_EQ(list2()->item(1)->data(Qt::UserRole).toUInt(), 2u);

    listFolder(QStringLiteral("Sent"));
    EXPECT_EQ(rows(list2()), QStringList({"Out"}));
    EXPECT_TRUE(MsgBox::answered().isEmpty());
  }
}

TEST_F(FrmExtractList, NestedFoldersAreIndentedAndUnreadableMessagesLeftOut) {
  mailFolder("Local/Inbox", {plainMessage("Kept"), plainMessage("Also kept")});
  writeBytes(store() / "Local" / "Inbox" / "000001.eml", "");  // a message with no text
  mailFolder("Local", {plainMessage("Top")});
  open();
  ASSERT_EQ(rows(list1()), QStringList({"Local", "   Inbox"}));
  // Spoken without the indent.
  EXPECT_EQ(list1()->item(1)->data(Qt::AccessibleTextRole).toString(), QStringLiteral("Inbox"));
  listFolder(QStringLiteral("Inbox"));
  EXPECT_EQ(rows(list2()), QStringList({"Kept"}));
}

TEST_F(FrmExtractList, WithoutAStoreTheWindowSaysSoAndThePickerChoosesOne) {
  mailFolder("Inbox", {plainMessage("Found later")});
  const system::test::EnvVar noStore("MAILVANE_STORE", std::nullopt);
  open(false);
  EXPECT_TRUE(window->storeRoot().empty());
  EXPECT_EQ(list1()->count(), 0);
  EXPECT_TRUE(child<QLabel>("storeLabel")->text().startsWith(QStringLiteral("No message store")));
  EXPECT_TRUE(child<QPushButton>("chooseStore")->isDefault());

  picker->answers = {""};  // cancelled: nothing changes
  click("chooseStore");
  EXPECT_TRUE(window->storeRoot().empty());

  picker->answers = {store().string()};
  click("chooseStore");
  EXPECT_EQ(window->storeRoot(), store());
  EXPECT_EQ(settings->value(store::kStoreSetting, ""), store().string());
  EXPECT_EQ(rows(list1()), QStringList({"Inbox"}));
  listFolder(QStringLiteral("Inbox"));
  EXPECT_EQ(rows(list2()), QStringList({"Found later"}));

  // A folder that holds no mail is said to be so.
  picker->answers = {base().string()};
  click("chooseStore");
  EXPECT_TRUE(child<QLabel>("storeLabel")->text().startsWith(QStringLiteral("No mail folders")));
}

TEST_F(FrmExtractList, ALargeFolderYieldsMovesTheMeterAndGivesWayToAnotherClick) {
  std::vector<std::string> many;
  for (int i = 0; i < 10000; ++i) many.push_back(plainMessage("Message " + std::to_string(i)));
  mailFolder("Big", many);
  mailFolder("Small", {plainMessage("Only one")});
  open();
  auto* meter = child<EdgewiseVert>("EV2");
  double meterSeen = -1;
  int rowsSeen = -1;
  // Runs at the listing's first yield: the window answers while the folder lists.
  QTimer::singleShot(0, window.get(), [&] {
    meterSeen = meter->value();
    rowsSeen = list2()->count();
    EXPECT_TRUE(window->listing());
    list1()->setCurrentRow(1);  // "Small"
  });
  list1()->setCurrentRow(0);  // "Big"
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->listing(); }));
  EXPECT_GT(meterSeen, 0);
  EXPECT_EQ(meter->Max(), 2);  // the small folder's, and its listing ended at 0
  EXPECT_EQ(meter->value(), 0);
  EXPECT_GE(rowsSeen, 0);
  EXPECT_LT(rowsSeen, 10000);
  EXPECT_EQ(rows(list2()), QStringList({"Only one"}));
  EXPECT_EQ(child<QLabel>("Label4")->text(), QStringLiteral("Messages in folder: 1"));

  // Left alone, the large folder lists whole.
  list1()->setCurrentRow(0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->listing(); }));
  EXPECT_EQ(list2()->count(), 10000);
  EXPECT_EQ(list2()->item(9999)->text(), QStringLiteral("Message 9999"));
}

// The window is unloaded (deleted) when closed, as the menu's windows are; a listing or a
// batch yielding at that moment must stop without touching it.
TEST_F(FrmExtractList, ClosingDuringAListingOrABatchStopsItSafely) {
  std::vector<std::string> many;
  for (int i = 0; i < 3000; ++i) many.push_back(plainMessage("Message " + std::to_string(i)));
  mailFolder("Big", many);
  for (bool batch : {false, true}) {
    SCOPED_TRACE(batch ? "batch" : "listing");
    open();
    FrmExtract* shown = window.release();
    shown->setAttribute(Qt::WA_DeleteOnClose);
    const QPointer<FrmExtract> alive(shown);
    auto* list = shown->findChild<QListWidget*>(QStringLiteral("List2"));
    if (batch) {
      shown->findChild<QListWidget*>(QStringLiteral("List1"))->setCurrentRow(0);
      ASSERT_TRUE(QTest::qWaitFor([&] { return !shown->listing(); }));
      list->selectAll();
    }
    QTimer::singleShot(0, shown, [shown] { shown->close(); });
    if (batch)
      QTest::mouseClick(shown->findChild<QPushButton*>(QStringLiteral("Command5")), Qt::LeftButton);
    else
      shown->findChild<QListWidget*>(QStringLiteral("List1"))->setCurrentRow(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }));
  }
  // The batch stopped after the message it was writing.
  EXPECT_LE(std::distance(fs::directory_iterator(output()), fs::directory_iterator()), 1);
  EXPECT_TRUE(MsgBox::answered().isEmpty());
}

TEST_F(FrmExtractList, ControlsCarryTheirCaptionsDefaultsAndSpokenNames) {
  open();
  const std::pair<const char*, const char*> captions[] = {
      {"Command5", "Extract Emails"}, {"Command7", "Cancel"},
      {"Command6", "Close"},          {"Option1", "Save as eml"},
      {"Option2", "Save as nws"},     {"Option4", "Save as unsent"},
      {"Option3", "Save as sent"},    {"ChcHtml", "Extract Html"},
      {"Check1", "Extract Files"},    {"Check2", "Do not load replayed messages"},
      {"Label5", "Save Options :"},   {"Label6", "Save extracted emails to path"}};
  for (const auto& [name, caption] : captions) {
    const QWidget* control = child<QWidget>(name);
    const auto* button = qobject_cast<const QAbstractButton*>(control);
    EXPECT_EQ(button ? button->text() : qobject_cast<const QLabel*>(control)->text(),
              QLatin1String(caption))
        << name;
  }
  for (const char* on : {"Option1", "Option4", "ChcHtml", "Check1", "Check2"})
    EXPECT_TRUE(child<QAbstractButton>(on)->isChecked()) << on;
  EXPECT_EQ(child<QLineEdit>("Text2")->text(), QString::fromStdString(output().string()));
  // The two pairs of options are chosen independently.
  click("Option3");
  click("Option2");
  EXPECT_TRUE(child<QRadioButton>("Option3")->isChecked());
  EXPECT_TRUE(child<QRadioButton>("Option2")->isChecked());
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (!widget->focusPolicy() || qobject_cast<QLabel*>(widget)) continue;
    const auto* button = qobject_cast<QAbstractButton*>(widget);
    const bool named = !widget->accessibleName().isEmpty() || (button && !button->text().isEmpty());
    EXPECT_TRUE(named) << widget->objectName().toStdString();
  }
  for (const char* meter : {"EV1", "EV2"})
    EXPECT_FALSE(child<EdgewiseVert>(meter)->accessibleName().isEmpty()) << meter;
}

}  // namespace
}  // namespace mailvane::test
