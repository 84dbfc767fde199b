// Messages reaching the list as a mail client writes them into its store, reported by the
// real folder-watch plug-in: each once, in order, the newest selected and shown.

#include <QCheckBox>

#include <fstream>
#include <set>

#include "tests/windows/FrmListenTestSupport.h"

namespace mailvane::test {
namespace {

using namespace std::chrono_literals;

class FrmListenArrivalTest : public FrmListenFixture {
 protected:
  void SetUp() override {
    FrmListenFixture::SetUp();
    registerStores(true, false);
  }
  static void append(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary | std::ios::app) << text;
  }
  // The poll timer left to the test: each tick() is one look at the reported files.
  void pollByHand() { window->setPollTiming(24h, ArrivalQueue::kGiveUp); }
  void tick() { window->Timer1_Timer(); }
  QString path(const fs::path& file) const { return QString::fromStdString(file.string()); }
};

TEST_F(FrmListenArrivalTest, EachMessageIsListedOnceInOrderWhereverTheClientWritesIt) {
  openListener();
  run();
  deliver(liveStore() / "renamed.eml", message("Renamed into place"));
  ASSERT_TRUE(waitForRows(1));
  // A folder the client makes while listening, and a file written straight to its name.
  fs::create_directories(liveStore() / "Inbox" / "New");
  writeBytes(liveStore() / "Inbox" / "New" / "direct.nws", message("Written in a new folder"));
  ASSERT_TRUE(waitForRows(2));
  deliver(liveStore() / "third.EML", message("Third"));
  ASSERT_TRUE(waitForRows(3));

  window->Filecreated(path(liveStore() / "renamed.eml"), "renamed.eml");
  EXPECT_EQ(window->waitingFiles(), 0u);
  QStringList expected{"Renamed into place", "Written in a new folder", "Third"};
  EXPECT_EQ(rows(list1()), expected);
  expectNewestShown("Third");
  EXPECT_TRUE(child<QProgressBar>("PBar1")->isHidden());
  EXPECT_TRUE(child<QProgressBar>("PBar2")->isHidden());

  // A burst is listed whole and in order.
  for (int i = 1; i <= 200; ++i) {
    const std::string subject = "Burst " + std::to_string(1000 + i).substr(1);
    expected << QString::fromStdString(subject);
    writeBytes(liveStore() / "Inbox" / (subject + ".eml"), message(subject));
  }
  ASSERT_TRUE(waitForRows(203)) << list1()->count();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->waitingFiles() == 0; }, kWaitMs));
  EXPECT_EQ(rows(list1()), expected);
  EXPECT_EQ(text("Label21"), "203");
  expectNewestShown("Burst 200");
}

TEST_F(FrmListenArrivalTest, AFileWrittenInPiecesIsListedWhenComplete) {
  openListener();
  pollByHand();
  run();
  const fs::path file = liveStore() / "pieces.eml";
  writeBytes(file, "");
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->waitingFiles() == 1; }, kWaitMs));
  EXPECT_TRUE(window->Timer1->isActive());
  const std::string whole = message("Written in pieces", "Ann <ann@example.org>", "The end.\r\n");
  const size_t cut = whole.find("Subject:");
  tick();  // still empty
  append(file, whole.substr(0, cut));
  tick();  // grew: no subject yet, and the writer may not be done
  append(file, whole.substr(cut));
  tick();  // grew again
  EXPECT_EQ(list1()->count(), 0);
  EXPECT_EQ(window->waitingFiles(), 1u);
  tick();  // unchanged since the last look
  ASSERT_EQ(rows(list1()), QStringList{"Written in pieces"});
  expectNewestShown("Written in pieces");
  EXPECT_TRUE(child<QPlainTextEdit>("R1")->toPlainText().contains("The end."));
  EXPECT_FALSE(window->Timer1->isActive());
}

TEST_F(FrmListenArrivalTest, RepliesAreLeftOutWhileTheFilterIsOnFromTheNextFileOn) {
  openListener({{std::string(system::kRE), "1"}});
  run();
  deliver(liveStore() / "1.eml", message("Re: meeting"));
  deliver(liveStore() / "2.eml", message("Fw: note"));
  deliver(liveStore() / "3.eml", "From: ann@example.org\r\n\r\nNo subject line.\r\n");
  deliver(liveStore() / "4.eml", message(""));
  deliver(liveStore() / "5.eml", message("Fwd: note"));
  deliver(liveStore() / "6.eml", message("Reply: later"));
  ASSERT_TRUE(waitForRows(2));
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->waitingFiles() == 0; }, kWaitMs));
  EXPECT_EQ(rows(list1()), (QStringList{"Fwd: note", "Reply: later"}));
  expectNewestShown("Reply: later");

  // Turning the filter off keeps the list as it is and lets later replies in.
  child<QCheckBox>("Check1")->click();
  EXPECT_EQ(settings->value(system::kRE, ""), "0");
  EXPECT_EQ(list1()->count(), 2);
  deliver(liveStore() / "7.eml", message("Re: meeting"));
  ASSERT_TRUE(waitForRows(3));
  expectNewestShown("Re: meeting");
}

TEST_F(FrmListenArrivalTest, AFileWithoutARowStillMovesTheSelectionToTheNewest) {
  openListener();
  const fs::path bare = liveStore() / "bare.eml";
  writeBytes(bare, "From: ann@example.org\r\n\r\nNo subject line.\r\n");
  window->Addcreated({bare.string()});
  EXPECT_EQ(list1()->count(), 0);
  EXPECT_EQ(list1()->currentRow(), -1);

  writeBytes(liveStore() / "a.eml", message("First"));
  writeBytes(liveStore() / "b.eml", message("Second"));
  window->Addcreated({(liveStore() / "a.eml").string(), (liveStore() / "b.eml").string()});
  list1()->setCurrentRow(0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->parser().Subject == "First"; }, kWaitMs));
  window->Addcreated({bare.string()});
  EXPECT_EQ(list1()->count(), 2);
  expectNewestShown("Second");
}

TEST_F(FrmListenArrivalTest, OnlyMessageFilesWaitAndGoneOrStuckOnesAreDropped) {
  openListener();
  window->setPollTiming(kQuickPoll, 300ms);
  const fs::path stuck = liveStore() / "stuck.eml";
  writeBytes(stuck, "");
  window->Filecreated(path(stuck), {});
  window->Filecreated(path(liveStore() / "gone.eml"), {});
  for (const char* other : {"a.emlx", "a.tmp", "a.eml.tmp", "eml"})
    window->Filecreated(path(liveStore() / other), {});
  EXPECT_EQ(window->waitingFiles(), 2u);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->waitingFiles() == 0; }, kWaitMs));
  EXPECT_FALSE(window->Timer1->isActive());
  EXPECT_EQ(list1()->count(), 0);
}

TEST_F(FrmListenArrivalTest, NothingIsListedAfterStopOrOnceTheWindowIsClosed) {
  openListener();
  run();
  deliver(liveStore() / "before.eml", message("Before stop"));
  ASSERT_TRUE(waitForRows(1));
  window->Command6->click();
  EXPECT_EQ(window->watchHost()->cas(), nullptr);
  witnessOn(liveStore());
  ASSERT_TRUE(heard(deliver(liveStore() / "after.eml", message("After stop"))));
  QCoreApplication::processEvents();
  EXPECT_EQ(window->waitingFiles(), 0u);

  run();
  window->show();
  window->Filecreated(path(liveStore() / "pending.eml"), {});
  window->close();
  EXPECT_FALSE(window->listening());
  EXPECT_EQ(window->watchHost()->cas(), nullptr);
  EXPECT_FALSE(window->Timer1->isActive());
  ASSERT_TRUE(heard(deliver(liveStore() / "closed.eml", message("After close"))));
  QCoreApplication::processEvents();
  EXPECT_EQ(window->waitingFiles(), 0u);
  EXPECT_EQ(rows(list1()), QStringList{"Before stop"});

  // Unloaded while listening: the plug-in goes with the window.
  window->show();
  run();
  window.reset();
  ASSERT_TRUE(heard(deliver(liveStore() / "unloaded.eml", message("After unload"))));
  QCoreApplication::processEvents();
}

}  // namespace
}  // namespace mailvane::test
