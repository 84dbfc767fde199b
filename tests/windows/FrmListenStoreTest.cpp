// Where the listener listens: the store it finds at opening, the client switch, and Run
// and Stop over the real folder-watch plug-in.

#include <QFrame>

#include "controls/clsTooltips.h"
#include "tests/windows/FrmListenTestSupport.h"

namespace mailvane::test {
namespace {

using FrmListenStoreTest = FrmListenFixture;

TEST_F(FrmListenStoreTest, FindsTheLiveMailStoreFirstThenTheMailStore) {
  const struct {
    bool live;
    bool mail;
    const char* caption;
  } cases[] = {{true, true, "Windows Live Mail"},
               {true, false, "Windows Live Mail"},
               {false, true, "Windows Mail"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.live ? "live " : "") + (c.mail ? "mail" : ""));
    registerStores(c.live, c.mail);
    openListener();
    window->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(window->Label23->text(), c.caption);
    EXPECT_EQ(window->listenPath(), c.live ? liveStore() : mailStore());
    EXPECT_TRUE(window->Label23->isEnabled());
    EXPECT_EQ(window->Command6->text(), "Run");
    EXPECT_FALSE(window->listening());
    EXPECT_EQ(list1()->count(), 0);
    EXPECT_TRUE(MsgBox::answered().isEmpty());
  }
  // Resting the mouse on the client's name tells that a click switches.
  EXPECT_EQ(window->switchTip()->ParentControl(), window->Picture7);
  EXPECT_TRUE(window->Picture7->isAncestorOf(window->Label23));
  EXPECT_TRUE(window->switchTip()->Active());
  EXPECT_EQ(window->switchTip()->Title(), "Click to switch!");
  EXPECT_EQ(window->switchTip()->TipText(),
            "Click to switch between Windows Mail and Windows Live Mail");
}

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

TEST_F(FrmListenStoreTest, AClickOnTheClientSwitchesWhenTheOtherStoreIsThere) {
  const struct {
    bool live;
    bool mail;
    const char* before;
    const char* after;
    const char* box;  // "" when none
    QMessageBox::Icon icon;
  } cases[] = {
      {true, true, "Windows Live Mail", "Windows Mail", "", QMessageBox::NoIcon},
      {true, false, "Windows Live Mail", "Windows Live Mail", "Didn't find the stoore folder",
       QMessageBox::Information},
      {false, true, "Windows Mail", "Windows Mail", "Could not find the store!",
       QMessageBox::NoIcon},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.live ? "live " : "") + (c.mail ? "mail" : ""));
    MsgBox::clearAnswered();
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
      EXPECT_EQ(window->listenPath(), mailStore());
      EXPECT_TRUE(window->Label23->accessibleName().endsWith(c.after));
    }
  }
}

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

TEST_F(FrmListenStoreTest, AStoreThatGoesAwayEndsTheWatchAndRunThenSaysWhy) {
  registerStores(true, false);
  openListener();
  run();
  fs::remove_all(liveStore());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->listening(); }, kWaitMs));
  EXPECT_EQ(window->Command6->text(), "Run");
  EXPECT_TRUE(window->listenState->text().startsWith("Not listening"));

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

}  // namespace
}  // namespace mailvane::test
