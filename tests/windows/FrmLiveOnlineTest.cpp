// The sounds and fonts that messages link to: gathering them from many messages, asking
// their servers for a size, handing them to the download plug-in and playing one. Every
// link points at a server inside the test on 127.0.0.1.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMediaPlayer>
#include <QMenu>
#include <QProgressBar>
#include <QTableView>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <set>

#include "codecs/Base64.h"
#include "controls/NetClass.h"
#include "tests/support/TestHttpServer.h"
#include "tests/windows/FrmLiveTestSupport.h"
#include "windows/family/HeaderLabel.h"
#include "windows/family/SoundPanel.h"

namespace mailvane::test {
namespace {

using namespace std::chrono_literals;
using mailvane::testing::TestHttpServer;

// A 400 Hz tone, a quarter of a second unless asked: 8 kHz, 16-bit mono PCM.
QByteArray toneWav(int samples = 2000) {
  QByteArray pcm;
  for (int i = 0; i < samples; ++i) {
    const qint16 sample = (i / 10) % 2 ? 6000 : -6000;
    pcm.append(reinterpret_cast<const char*>(&sample), 2);
  }
  QByteArray wav;
  const auto u32 = [&](quint32 v) { wav.append(reinterpret_cast<const char*>(&v), 4); };
  const auto u16 = [&](quint16 v) { wav.append(reinterpret_cast<const char*>(&v), 2); };
  wav += "RIFF";
  u32(36 + static_cast<quint32>(pcm.size()));
  wav += "WAVEfmt ";
  u32(16);     // format block size
  u16(1);      // PCM
  u16(1);      // channels
  u32(8000);   // samples per second
  u32(16000);  // bytes per second
  u16(2);      // bytes per sample
  u16(16);     // bits per sample
  wav += "data";
  u32(static_cast<quint32>(pcm.size()));
  return wav + pcm;
}

// An HTML message with the given body and, when named, a sound attachment.
std::string htmlMessage(const std::string& subject, const std::string& html,
                        const std::string& attachment = {}) {
  const std::string boundary = "----=_NextPart_000_0002";
  std::string text = "From: Ann <ann@example.org>\r\nSubject: " + subject +
                     "\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed;\r\n\tboundary=\"" +
                     boundary + "\"\r\n\r\n--" + boundary +
                     "\r\nContent-Type: text/html;\r\n\tcharset=\"iso-8859-1\"\r\n"
                     "Content-Transfer-Encoding: 7bit\r\n\r\n<HTML><BODY>" +
                     html + "</BODY></HTML>\r\n\r\n";
  if (!attachment.empty())
    text += "--" + boundary + "\r\nContent-Type: audio/wav;\r\n\tname=\"" + attachment +
            "\"\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment;\r\n"
            "\tfilename=\"" +
            attachment + "\"\r\n\r\n" + Base64().EncodeArr(toneWav().toStdString()) + "\r\n\r\n";
  return text + "--" + boundary + "--\r\n";
}

class FrmLiveOnlineTest : public FrmLiveFixture {
 protected:
  void TearDown() override {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (widget->objectName() == QLatin1String("Downloads")) widget->close();
    FrmLiveFixture::TearDown();
  }

  QString link(const QString& path) const { return server.url(path); }
  std::string sound(const char* path) const { return link(path).toStdString(); }
  void setList2(const QStringList& entries) {
    list2()->clear();
    list2()->addItems(entries);
  }
  bool waitForCheck() {
    return QTest::qWaitFor([this] { return !window->checkRunning(); }, 30000);
  }
  bool enabled(const char* action) const { return child<QAction>(action)->isEnabled(); }
  bool gatheringFree() const {
    return child<QPushButton>("Command4")->isEnabled() &&
           child<QPushButton>("Command5")->isEnabled() && enabled("mnucheckforsounds");
  }
  SoundPanel* panel() const { return child<SoundPanel>("Psound1"); }

  TestHttpServer server;
};

TEST_F(FrmLiveOnlineTest, SizeIsWhatTheServerAnnouncesAndZeroForEveryFailure) {
  open();
  window->setOnlineTimeout(1500ms);
  const struct {
    QString url;
    int32_t size;
  } cases[] = {
      {link("/bytes/1234/a.wav"), 1234},
      {"  " + link("/bytes/56/spaced.wav") + " ", 56},
      // Only the headers are waited for: this body would never end.
      {link("/hold/5000000/big.wav"), 5000000},
      {link("/redirect/bytes/77/moved.wav"), 77},
      {link("/ftp-redirect/bytes/5/elsewhere.wav"), 0},
      {link("/nolength/40/f.wav"), 0},
      {link("/badlength/g.wav"), 0},
      {link("/status/404/h.wav"), 0},
      {link("/status/500/i.wav"), 0},
      {link("/silent/j.wav"), 0},
      {"tone.wav", 0},
      {"file:///etc/hostname", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(window->Netgetsize(c.url.toStdString()), c.size) << c.url.toStdString();
    EXPECT_FALSE(window->Netbusy()) << c.url.toStdString();
  }
  EXPECT_EQ(server.requestCount("/bytes/77/moved.wav"), 1);

  bool busyWhileWaiting = false;
  QTimer::singleShot(100, window.get(), [&] { busyWhileWaiting = window->Netbusy(); });
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(window->Netgetsize(sound("/silent/k.wav")), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 10s) << "a silent server is given up on";
  EXPECT_TRUE(busyWhileWaiting);
}

TEST_F(FrmLiveOnlineTest, CheckKeepsTheRowsWithASizeInRowOrderAndLeavesTheWindowUsable) {
  writeBytes(folder() / "a.eml", message("Loaded meanwhile"));
  openOn();
  window->setOnlineTimeout(1500ms);
  // The check is a hidden item of the sound menu; the others are offered.
  EXPECT_FALSE(child<QAction>("mnuCheckOnlineverify")->isVisible());
  for (const char* action : {"mnuplay", "mnustop", "MNUDOWLOAD", "mnudownloadeot"})
    EXPECT_TRUE(enabled(action)) << action;

  const QString spaced = " " + link("/bytes/20/spaced.wav") + "  ";
  setList2({link("/delay/700/10/slow.wav"), spaced, link("/nolength/30/nolength.wav"),
            link("/status/404/missing.wav"), link("/redirect/bytes/40/moved.wav"),
            link("/delay/300/50/later.mp3"), "tone.wav", link("/silent/never.wav"),
            link("/bytes/60/last.MP3")});
  trigger("mnuCheckOnlineverify");
  ASSERT_TRUE(window->checkRunning());
  EXPECT_FALSE(gatheringFree());
  EXPECT_TRUE(child<QPushButton>("Command14")->isEnabled());

  // Neither a second check nor a gathering walk touches the list meanwhile; loading a
  // message still works and leaves the list to the check.
  trigger("mnuCheckOnlineverify");
  child<QPushButton>("Command4")->click();
  window->mnupopuplists_Click();
  list1()->setCurrentRow(0);
  EXPECT_EQ(child<HeaderLabel>("Label4")->text(), "Ann <ann@example.org>");
  EXPECT_EQ(list2()->count(), 9);

  ASSERT_TRUE(waitForCheck());
  EXPECT_EQ(
      rows(list2()),
      (QStringList{link("/delay/700/10/slow.wav"), spaced, link("/redirect/bytes/40/moved.wav"),
                   link("/delay/300/50/later.mp3"), link("/bytes/60/last.MP3")}));
  EXPECT_EQ(text("Label10"), "5");
  EXPECT_TRUE(gatheringFree());
  EXPECT_EQ(server.requestCount("/delay/700/10/slow.wav"), 1);
  EXPECT_GE(server.maxOpenRequests(), 2) << "servers are asked side by side";
  EXPECT_LE(server.maxOpenRequests(), 6);
  EXPECT_FALSE(window->Netbusy());

  // An empty list ends at once, empty.
  setList2({});
  trigger("mnuCheckOnlineverify");
  EXPECT_FALSE(window->checkRunning());
  EXPECT_EQ(text("Label10"), "0");
}

TEST_F(FrmLiveOnlineTest, GatheringListsEveryMessagesEntriesInListOrderWithoutAskingTheWeb) {
  const std::string wave = sound("/file/wave.wav");
  const std::string loud = sound("/file/LOUD.MP3");
  const std::string query = sound("/file/song.mp3?size=big");
  const std::string font1 = sound("/file/one.eot");
  const std::string font2 = sound("/file/two.eot");
  const auto bgsound = [](const std::string& url) { return "<BGSOUND src=\"" + url + "\">"; };
  const auto fontFace = [](const std::string& url) {
    return "<STYLE>@font-face{font-family:x;src:url(" + url + ")}</STYLE>";
  };
  writeBytes(folder() / "1.eml",
             htmlMessage("First", bgsound(wave) + bgsound(loud) + bgsound(query) + fontFace(font1),
                         "tone.wav"));
  writeBytes(folder() / "2.eml",
             htmlMessage("Second", bgsound(wave) + fontFace(font2), "tone.wav"));
  writeBytes(folder() / "3.eml", message("Third"));
  openOn();
  ASSERT_EQ(rows(list1()), (QStringList{"First", "Second", "Third"}));

  const QString w = QString::fromStdString(wave), l = QString::fromStdString(loud);
  const struct {
    const char* command;  // a button, else a menu item
    std::initializer_list<int> selected;
    QStringList gathered;
  } cases[] = {
      {"Command4", {}, {"tone.wav", "tone.wav"}},
      {"Command5", {2}, {w, l, w}},
      {"mnuchecksound", {1}, {"tone.wav"}},
      {"mnupopuplists", {1, 2}, {w}},
      {"mnucheckOnlinefont",
       {0, 1},
       {QString::fromStdString(font1), QString::fromStdString(font2)}},
      {"mnupopuplists", {}, {}},
  };
  for (const auto& c : cases) {
    selectRows(c.selected);
    list2()->addItem("left from before");
    if (std::string(c.command).rfind("Command", 0) == 0)
      child<QPushButton>(c.command)->click();
    else
      trigger(c.command);
    EXPECT_EQ(rows(list2()), c.gathered) << c.command;
    EXPECT_EQ(text("Label10"), QString::number(c.gathered.size())) << c.command;
    EXPECT_TRUE(child<QProgressBar>("PBar1")->isHidden());
    EXPECT_TRUE(child<QProgressBar>("PBar2")->isHidden());
  }
  EXPECT_EQ(server.totalRequests(), 0);
}

TEST_F(FrmLiveOnlineTest, SelectedOnlineRowsOfTheKindGoToThePlugInAndIntoText1sFolder) {
  open();
  for (const char* host : {"NetClass1", "NetClass2"})
    child<NetClass>(host)->setProgramFolder(QStringLiteral(MAILVANE_BIN_DIR));
  const fs::path shown = root() / "picked";
  child<QLineEdit>("Text1")->setText(QString::fromStdString(shown.string()));

  // A secure link is handed over too; nothing listens for it here, so its download fails.
  QTcpServer closed;
  ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
  const QString secure = QStringLiteral("https://127.0.0.1:%1/secure.wav").arg(closed.serverPort());
  closed.close();
  setList2({link("/bytes/300/a.wav"), link("/bytes/400/unselected.wav"), "local.wav",
            link("/bytes/500/f.eot"), link("/bytes/600/c.MP3"), link("/bytes/700/d.mp3?x=1"),
            secure});
  for (int row : {0, 2, 3, 4, 5, 6}) list2()->item(row)->setSelected(true);
  // The pop-up's row decides nothing: here it is a local name.
  list2()->setCurrentRow(2, QItemSelectionModel::NoUpdate);
  ASSERT_TRUE(list2()->item(2)->isSelected());

  trigger("MNUDOWLOAD");
  // The files finished so far (a running download writes a ".part" file first).
  const auto filesIn = [](const fs::path& dir) {
    std::set<std::string> names;
    if (fs::is_directory(dir))
      for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().extension() != ".part") names.insert(entry.path().filename().string());
    return names;
  };
  const std::set<std::string> sounds{"a.wav", "c.MP3"};
  ASSERT_TRUE(QTest::qWaitFor([&] { return filesIn(shown / "Sounds") == sounds; }, 30000))
      << filesIn(shown / "Sounds").size();
  EXPECT_EQ(readBytes(shown / "Sounds" / "a.wav").size(), 300u);
  EXPECT_FALSE(fs::exists(shown / "Fonts"));
  EXPECT_FALSE(fs::exists(output() / "Sounds"));
  QStringList handed;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() != QLatin1String("Downloads") || !widget->isVisible()) continue;
    const QAbstractItemModel* model = widget->findChild<QTableView*>("downloadTable")->model();
    for (int row = 0; row < model->rowCount(); ++row)
      handed << model->index(row, 0).data().toString();
  }
  EXPECT_EQ(handed, (QStringList{link("/bytes/300/a.wav"), link("/bytes/600/c.MP3"), secure}));

  trigger("mnudownloadeot");
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return filesIn(shown / "Fonts") == std::set<std::string>{"f.eot"}; }, 30000));
  EXPECT_EQ(filesIn(shown / "Sounds"), sounds);
  for (const char* never : {"/bytes/400/unselected.wav", "/bytes/700/d.mp3"})
    EXPECT_EQ(server.requestCount(never), 0) << never;

  // The folder is made for any selected row, even one that is not handed over.
  const fs::path other = root() / "other";
  child<QLineEdit>("Text1")->setText(QString::fromStdString(other.string()));
  list2()->clearSelection();
  list2()->item(2)->setSelected(true);
  trigger("MNUDOWLOAD");
  EXPECT_TRUE(fs::is_directory(other / "Sounds"));
  EXPECT_TRUE(filesIn(other / "Sounds").empty());
}

TEST_F(FrmLiveOnlineTest, MissingPlugInIsReportedAndNothingIsMade) {
  open();
  child<NetClass>("NetClass1")->setProgramFolder(QString::fromStdString(root().string()));
  setList2({link("/bytes/300/a.wav")});
  list2()->item(0)->setSelected(true);
  MsgBox::answerNextWith(QMessageBox::Ok);
  trigger("MNUDOWLOAD");
  ASSERT_EQ(MsgBox::answered().size(), 1);
  EXPECT_EQ(MsgBox::answered()[0].icon, QMessageBox::Warning);
  EXPECT_TRUE(MsgBox::answered()[0].text.contains("plug-in"));
  EXPECT_FALSE(fs::exists(output() / "Sounds"));
  EXPECT_EQ(server.totalRequests(), 0);
}

TEST_F(FrmLiveOnlineTest, PlayPlaysALinkOrAPartAndStopOrCloseHidesThePanel) {
  server.serve("tone.wav", toneWav(), "audio/wav");
  writeBytes(folder() / "a.eml", htmlMessage("With a tone", "<P>Listen.</P>", "tone.wav"));
  openOn();
  QMediaPlayer* player = panel()->player();
  if (!player->isAvailable()) GTEST_SKIP() << "this system has no media player back end";
  list1()->setCurrentRow(0);
  ASSERT_TRUE(rows(list2()).contains("tone.wav"));

  bool played = false;
  QObject::connect(
      player, &QMediaPlayer::playbackStateChanged, window.get(),
      [&](QMediaPlayer::PlaybackState state) { played |= state == QMediaPlayer::PlayingState; });
  const auto loaded = [&] {
    const auto status = player->mediaStatus();
    return status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia ||
           status == QMediaPlayer::EndOfMedia;
  };
  const struct {
    QString entry;
    const char* stop;  // what closes the panel
    bool plays;
  } cases[] = {
      {link("/file/tone.wav"), "mnustop", true},
      {"tone.wav", "Command17", true},
      {link("/status/404/gone.wav"), "mnustop", false},
      {"not-here.wav", "Command17", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry.toStdString());
    played = false;
    list2()->addItem(c.entry);
    list2()->setCurrentRow(list2()->count() - 1);
    trigger("mnuplay");
    EXPECT_FALSE(panel()->isHidden());
    EXPECT_EQ(panel()->soundName->text(), c.entry.trimmed());
    if (c.plays) {
      EXPECT_TRUE(QTest::qWaitFor([&] { return played && loaded(); }, 15000))
          << panel()->soundState->text().toStdString();
      EXPECT_FALSE(panel()->soundState->text().startsWith("Cannot play"));
    } else {
      EXPECT_TRUE(QTest::qWaitFor(
          [&] { return panel()->soundState->text().startsWith("Cannot play: "); }, 15000))
          << panel()->soundState->text().toStdString();
    }
    if (std::string(c.stop) == "Command17")
      child<QPushButton>("Command17")->click();
    else
      trigger(c.stop);
    EXPECT_TRUE(panel()->isHidden());
    EXPECT_TRUE(player->source().isEmpty());
    EXPECT_EQ(player->playbackState(), QMediaPlayer::StoppedState);
  }
}

// Not a check: saves a picture of the window with a gathered sound list and the player
// for people to look at. Run with --gtest_also_run_disabled_tests and
// MAILVANE_SCREENSHOT=<file.png>.
TEST_F(FrmLiveOnlineTest, DISABLED_Screenshot) {
  server.serve("waves.wav", toneWav(8000 * 20), "audio/wav");
  const auto bgsound = [this](const char* name) {
    return "<BGSOUND src=\"" + sound("/file/") + name + "\">";
  };
  writeBytes(folder() / "1.eml",
             htmlMessage("Birthday card", bgsound("happy-birthday.mid") + bgsound("waves.wav")));
  writeBytes(folder() / "2.eml",
             htmlMessage("Evening at the sea", bgsound("waves.wav") + bgsound("gulls.wav")));
  writeBytes(folder() / "3.eml", htmlMessage("New year", bgsound("fireworks.mp3")));
  openOn();
  window->resize(1100, 700);
  window->show();
  child<QPushButton>("Command5")->click();
  list2()->setCurrentRow(1);
  trigger("mnuplay");
  QTest::qWait(1500);
  ASSERT_TRUE(
      window->grab().save(qEnvironmentVariable("MAILVANE_SCREENSHOT", "frmlive-sounds.png")));
}

}  // namespace
}  // namespace mailvane::test
