// Where the listener listens: the store it finds at opening, the client switch, and Run
// and Stop over the real folder-watch plug-in.

#include <QFrame>

#include "controls/clsTooltips.h"
#include "tests/windows/FrmListenTestSupport.h"

namespace mailvane::test {
namespace {

using FrmListenStoreTest = FrmListenFixture;

struct OpeningCase {
  const char* name;
  bool live;
  bool mail;
  const char* caption;
  bool watchesLive;
};

class FrmListenOpening : public FrmListenFixture,
                         public ::testing::WithParamInterface<OpeningCase> {};

TEST_P(FrmListenOpening, FindsTheLiveMailStoreFirstThenTheMailStore) {
  const OpeningCase& c = GetParam();
  registerStores(c.live, c.mail);
  openListener();
  window->show();
  QCoreApplication::processEvents();
  EXPECT_EQ(window->Label23->text(), c.caption);
  EXPECT_EQ(window->listenPath(), c.watchesLive ? liveStore() : mailStore());
  EXPECT_TRUE(window->Label23->isEnabled());
  EXPECT_EQ(window->Command6->text(), "Run");
  EXPECT_FALSE(window->listening());
  EXPECT_EQ(list1()->count(), 0);
  EXPECT_TRUE(MsgBox::answered().isEmpty());
}

const OpeningCase kOpenings[] = {
    {"both", true, true, "Windows Live Mail", true},
    {"live", true, false, "Windows Live Mail", true},
    {"mail", false, true, "Windows Mail", false},
};
INSTANTIATE_TEST_SUITE_P(Stores, FrmListenOpening, ::testing::ValuesIn(kOpenings),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrmListenStoreTest, WithoutAStoreItSaysSoOverTheWindowAndCannotSwitch) {
  // Registered, but the folders are not on this system: not found either.
  registerStores(true, true, /*makeFolders=*/false);
  openListener();
  EXPECT_TRUE(MsgBox::answered().isEmpty());  // not before the window is on screen
  MsgBox::answerNextWith(QMessageBox::Ok);
  window->show();
  ASSERT_TRUE(QTest::qWaitFor([] { return !MsgBox::answered().isEmpty(); }, kWaitMs));
  EXPECT_EQ(MsgBox::answered()[0].text, "Folders can not be found!");
  EXPECT_EQ(MsgBox::answered()[0].icon, QMessageBox::NoIcon);
  EXPECT_EQ(window->Label23->text(), "");
  EXPECT_FALSE(window->Label23->isEnabled());
  EXPECT_FALSE(window->Label23->accessibleName().isEmpty());
  // What is left to watch is Windows Mail's stored root as it stands.
  EXPECT_EQ(window->listenPath(), mailStore());
  window->Label23_Click();
  EXPECT_EQ(window->Label23->text(), "");
  EXPECT_EQ(MsgBox::answered().size(), 1);
}

TEST_F(FrmListenStoreTest, AStoredMailRootOutsideTheProfileIsStillWhatRunWatches) {
  fs::create_directories(mailStore());
  writeBytes(registryFile(),
             "WINE REGISTRY Version 2\n\n[Software\\\\Microsoft\\\\Windows Mail] 1\n"
             "\"Store Root\"=\"" +
                 mailStore().string() + "\"\n");
  openListener();
  EXPECT_EQ(window->Label23->text(), "");
  EXPECT_EQ(window->listenPath(), mailStore());
  run();
  deliver(mailStore() / "m.eml", message("Heard anyway"));
  ASSERT_TRUE(waitForRows(1));
}

TEST_F(FrmListenStoreTest, TheSwitchCarriesItsBalloon) {
  registerStores(true, true);
  openListener();
  const clsTooltips* tip = window->switchTip();
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(tip->ParentControl(), window->Picture7);
  EXPECT_TRUE(window->Picture7->isAncestorOf(window->Label23));
  EXPECT_EQ(tip->Style(), clsTooltips::styleBalloon);
  EXPECT_EQ(tip->Title(), "Click to switch!");
  EXPECT_EQ(tip->TipText(), "Click to switch between Windows Mail and Windows Live Mail");
  EXPECT_EQ(tip->Icon(), clsTooltips::iconInfo);
  EXPECT_TRUE(tip->Active());
}

struct SwitchCase {
  const char* name;
  bool live;
  bool mail;
  const char* before;
  const char* after;
  const char* box;  // "" when none
  QMessageBox::Icon icon;
};

class FrmListenSwitch : public FrmListenFixture,
                        public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(FrmListenSwitch, AClickOnTheClientSwitchesWhenTheOtherStoreIsThere) {
  const SwitchCase& c = GetParam();
  registerStores(c.live, c.mail);
  openListener();
  ASSERT_EQ(window->Label23->text(), c.before);
  const fs::path before = window->listenPath();
  if (*c.box) MsgBox::answerNextWith(QMessageBox::Ok);
  window->Label23->click();
  EXPECT_EQ(window->Label23->text(), c.after);
  if (*c.box) {
    ASSERT_EQ(MsgBox::answered().size(), 1);
    EXPECT_EQ(MsgBox::answered()[0].text, c.box);
    EXPECT_EQ(MsgBox::answered()[0].icon, c.icon);
    EXPECT_EQ(window->listenPath(), before);
  } else {
    EXPECT_TRUE(MsgBox::answered().isEmpty());
    EXPECT_EQ(window->listenPath(), QString(c.after) == "Windows Mail" ? mailStore() : liveStore());
    EXPECT_TRUE(window->Label23->accessibleName().endsWith(c.after));
  }
}

const SwitchCase kSwitches[] = {
    {"to_mail", true, true, "Windows Live Mail", "Windows Mail", "", QMessageBox::NoIcon},
    {"no_mail_store", true, false, "Windows Live Mail", "Windows Live Mail",
     "Didn't find the stoore folder", QMessageBox::Information},
    {"no_live_store", false, true, "Windows Mail", "Windows Mail", "Could not find the store!",
     QMessageBox::NoIcon},
};
INSTANTIATE_TEST_SUITE_P(Clients, FrmListenSwitch, ::testing::ValuesIn(kSwitches),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrmListenStoreTest, SwitchingBackAndForthAndWhileListeningLeavesTheWindowIdle) {
  registerStores(true, true);
  openListener();
  window->Label23->click();
  ASSERT_EQ(window->Label23->text(), "Windows Mail");
  run();
  EXPECT_EQ(window->Command6->text(), "Stop");
  window->Label23->click();
  EXPECT_EQ(window->Label23->text(), "Windows Live Mail");
  EXPECT_EQ(window->listenPath(), liveStore());
  EXPECT_FALSE(window->listening());
  EXPECT_EQ(window->Command6->text(), "Run");
  EXPECT_EQ(window->watchHost()->cas(), nullptr);
  // The switch does not start the watch again: a file in the new store stays unheard.
  witnessOn(liveStore());
  ASSERT_TRUE(heard(deliver(liveStore() / "unheard.eml", message("Unheard"))));
  QCoreApplication::processEvents();
  EXPECT_EQ(window->waitingFiles(), 0u);
  EXPECT_EQ(list1()->count(), 0);
}

TEST_F(FrmListenStoreTest, RunThatCannotWatchSaysWhyAndStaysIdle) {
  registerStores(false, true);
  openListener();
  fs::remove_all(mailStore());  // gone after the window found it
  MsgBox::answerNextWith(QMessageBox::Ok);
  window->Command6->click();
  ASSERT_EQ(MsgBox::answered().size(), 1);
  EXPECT_TRUE(MsgBox::answered()[0].text.startsWith("Could not listen on "));
  EXPECT_EQ(MsgBox::answered()[0].icon, QMessageBox::Warning);
  EXPECT_FALSE(window->listening());
  EXPECT_EQ(window->Command6->text(), "Run");
  EXPECT_EQ(window->watchHost()->cas(), nullptr);
  EXPECT_TRUE(window->listenState->text().startsWith("Not listening"));
}

TEST_F(FrmListenStoreTest, AStoreThatGoesAwayWhileListeningEndsTheWatch) {
  registerStores(true, false);
  openListener();
  run();
  fs::remove_all(liveStore());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->listening(); }, kWaitMs));
  EXPECT_EQ(window->Command6->text(), "Run");
  EXPECT_TRUE(window->listenState->text().startsWith("Not listening"));
}

}  // namespace
}  // namespace mailvane::test
