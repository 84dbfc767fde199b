// The sounds and fonts that messages link to: gathering them from many messages, asking
// their servers for a size, handing them to the download plug-in and playing one. Every
// link points at a server inside the test on 127.0.0.1.
#include <QApplication>
#include <QDataStream>
#include <QLineEdit>
#include <QMediaPlayer>
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
  QByteArray wav;
  QDataStream out(&wav, QIODevice::WriteOnly);
  out.setByteOrder(QDataStream::LittleEndian);
  const quint32 bytes = 2 * static_cast<quint32>(samples);
  out.writeRawData("RIFF", 4);
  out << quint32(36 + bytes);
  out.writeRawData("WAVEfmt ", 8);
  // Format block: its size, PCM, channels, samples and bytes a second, bytes and bits a sample.
  out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000) << quint16(2)
      << quint16(16);
  out.writeRawData("data", 4);
  out << bytes;
  for (int i = 0; i < samples; ++i) out << qint16((i / 10) % 2 ? 6000 : -6000);
  return wav;
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
  // A path that the server redirects `hops` times before it reaches `/...` after it.
  static QString redirects(int hops) { return QStringLiteral("/redirect").repeated(hops); }
  void setList2(const QStringList& entries) {
    list2()->clear();
    list2()->addItems(entries);
  }
  bool enabled(const char* action) const { return child<QAction>(action)->isEnabled(); }
  bool gatheringFree() const {
    return child<QPushButton>("Command4")->isEnabled() &&
           child<QPushButton>("Command5")->isEnabled() && enabled("mnucheckforsounds");
  }
  SoundPanel* panel() const { return child<SoundPanel>("Psound1"); }

  TestHttpServer server;
};

TEST_F(FrmLiveOnlineTest, TheCheckKeepsTheRowsWhoseServerAnnouncesASizeInRowOrder) {
  writeBytes(folder() / "a.eml", message("Loaded meanwhile"));
  openOn();
  window->setOnlineTimeout(1500ms);
  // The check is a hidden item of the sound menu; the others are offered.
  EXPECT_FALSE(child<QAction>("mnuCheckOnlineverify")->isVisible());
  for (const char* action : {"mnuplay", "mnustop", "MNUDOWLOAD", "mnudownloadeot"})
    EXPECT_TRUE(enabled(action)) << action;

  const struct {
    QString url;
    int32_t size;  // 0: none, and the check drops the row
  } cases[] = {
      {link("/delay/700/10/slow.wav"), 10},  // answers last, stays first
      {"  " + link("/bytes/56/spaced.wav") + " ", 56},
      {link("/redirect/bytes/77/moved.wav"), 77},
      {link(redirects(10) + "/bytes/33/far.wav"), 33},
      {link(redirects(11) + "/bytes/34/too-far.wav"), 0},
      {link("/ftp-redirect/bytes/5/elsewhere.wav"), 0},
      {link("/nolength/40/f.wav"), 0},
      {link("/badlength/g.wav"), 0},
      {link("/status/404/h.wav"), 0},
      {link("/status/500/i.wav"), 0},
      {link("/delay/300/50/later.mp3"), 50},
      {link("/silent/j.wav"), 0},
      {"tone.wav", 0},
      {"file:///etc/hostname", 0},
      {link("/bytes/60/last.MP3"), 60},
  };
  QStringList all, kept;
  for (const auto& c : cases) {
    all << c.url;
    if (c.size > 0) kept << c.url;
  }
  setList2(all);
  trigger("mnuCheckOnlineverify");
  ASSERT_TRUE(window->checkRunning());
  EXPECT_FALSE(gatheringFree());
  EXPECT_TRUE(child<QPushButton>("Command14")->isEnabled());
  // Neither a second check nor a gathering walk touches the list meanwhile; loading a
  // message still works and leaves the list to the check.
  trigger("mnuCheckOnlineverify");
  click("Command4");
  window->mnupopuplists_Click();
  list1()->setCurrentRow(0);
  EXPECT_EQ(child<HeaderLabel>("Label4")->text(), "Ann <ann@example.org>");
  EXPECT_EQ(rows(list2()), all);

  ASSERT_TRUE(QTest::qWaitFor([this] { return !window->checkRunning(); }, 30000));
  EXPECT_EQ(rows(list2()), kept);
  EXPECT_EQ(text("Label10"), QString::number(kept.size()));
  EXPECT_TRUE(gatheringFree());
  for (const char* path : {"/delay/700/10/slow.wav", "/bytes/77/moved.wav"})
    EXPECT_EQ(server.requestCount(path), 1) << path;
  EXPECT_GE(server.maxOpenRequests(), 2) << "servers are asked side by side";
  EXPECT_LE(server.maxOpenRequests(), 6);
  EXPECT_FALSE(window->Netbusy());

  // An empty list ends at once, empty.
  setList2({});
  trigger("mnuCheckOnlineverify");
  EXPECT_FALSE(window->checkRunning());
  EXPECT_EQ(text("Label10"), "0");

  // One link at a time gives the size itself; only the headers are waited for, so a
  // body that never ends still has its size.
  for (const auto& c : cases) {
    EXPECT_EQ(window->Netgetsize(c.url.toStdString()), c.size) << c.url.toStdString();
    EXPECT_FALSE(window->Netbusy()) << c.url.toStdString();
  }
  EXPECT_EQ(window->Netgetsize(link("/hold/5000000/big.wav").toStdString()), 5000000);
  bool busyWhileWaiting = false;
  QTimer::singleShot(100, window.get(), [&] { busyWhileWaiting = window->Netbusy(); });
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(window->Netgetsize(link("/silent/k.wav").toStdString()), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 10s) << "a silent server is given up on";
  EXPECT_TRUE(busyWhileWaiting);
}

TEST_F(FrmLiveOnlineTest, GatheringListsEveryMessagesEntriesInListOrderWithoutAskingTheWeb) {
  const QString wave = link("/file/wave.wav"), loud = link("/file/LOUD.MP3");
  const QString font1 = link("/file/one.eot"), font2 = link("/file/two.eot");
  const auto bgsound = [](const QString& url) {
    return "<BGSOUND src=\"" + url.toStdString() + "\">";
  };
  const auto fontFace = [](const QString& url) {
    return "<STYLE>@font-face{font-family:x;src:url(" + url.toStdString() + ")}</STYLE>";
  };
  writeBytes(folder() / "1.eml",
             htmlMessage("First",
                         bgsound(wave) + bgsound(loud) + bgsound(link("/file/song.mp3?size=big")) +
                             fontFace(font1),
                         "tone.wav"));
  writeBytes(folder() / "2.eml",
             htmlMessage("Second", bgsound(wave) + fontFace(font2), "tone.wav"));
  writeBytes(folder() / "3.eml", message("Third"));
  openOn();
  ASSERT_EQ(rows(list1()), (QStringList{"First", "Second", "Third"}));

  const struct {
    const char* command;  // a button, else a menu item
    std::initializer_list<int> selected;
    QStringList gathered;
  } cases[] = {
      {"Command4", {}, {"tone.wav", "tone.wav"}},     {"Command5", {2}, {wave, loud, wave}},
      {"mnuchecksound", {1}, {"tone.wav"}},           {"mnupopuplists", {1, 2}, {wave}},
      {"mnucheckOnlinefont", {0, 1}, {font1, font2}}, {"mnupopuplists", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    selectRows(c.selected);
    list2()->addItem("left from before");
    if (std::string(c.command).rfind("Command", 0) == 0)
      click(c.command);
    else
      trigger(c.command);
    EXPECT_EQ(rows(list2()), c.gathered);
    EXPECT_EQ(text("Label10"), QString::number(c.gathered.size()));
    EXPECT_TRUE(child<QProgressBar>("PBar1")->isHidden());
    EXPECT_TRUE(child<QProgressBar>("PBar2")->isHidden());
  }
  EXPECT_EQ(server.totalRequests(), 0);
}

TEST_F(FrmLiveOnlineTest, SelectedOnlineRowsOfTheKindGoToThePlugInAndIntoText1sFolder) {
  open();
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

  // Without the plug-in the user is told, and nothing is made or asked for.
  child<NetClass>("NetClass1")->setProgramFolder(QString::fromStdString(root().string()));
  MsgBox::answerNextWith(QMessageBox::Ok);
  trigger("MNUDOWLOAD");
  ASSERT_EQ(MsgBox::answered().size(), 1);
  EXPECT_EQ(MsgBox::answered()[0].icon, QMessageBox::Warning);
  EXPECT_TRUE(MsgBox::answered()[0].text.contains("plug-in"));
  EXPECT_FALSE(fs::exists(shown));
  EXPECT_EQ(server.totalRequests(), 0);

  for (const char* host : {"NetClass1", "NetClass2"})
    child<NetClass>(host)->setProgramFolder(QStringLiteral(MAILVANE_BIN_DIR));
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
    bool closeButton;  // else the menu's stop
    bool plays;
  } cases[] = {
      {link("/file/tone.wav"), false, true},
      {"tone.wav", true, true},
      {link("/status/404/gone.wav"), false, false},
      {"not-here.wav", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry.toStdString());
    played = false;
    list2()->addItem(c.entry);
    list2()->setCurrentRow(list2()->count() - 1);
    trigger("mnuplay");
    EXPECT_FALSE(panel()->isHidden());
    EXPECT_EQ(panel()->soundName->text(), c.entry.trimmed());
    const auto state = [&] { return panel()->soundState->text(); };
    if (c.plays) {
      EXPECT_TRUE(QTest::qWaitFor([&] { return played && loaded(); }, 15000))
          << state().toStdString();
      EXPECT_FALSE(state().startsWith("Cannot play"));
    } else {
      EXPECT_TRUE(QTest::qWaitFor([&] { return state().startsWith("Cannot play: "); }, 15000))
          << state().toStdString();
    }
    c.closeButton ? click("Command17") : trigger("mnustop");
    EXPECT_TRUE(panel()->isHidden());
    EXPECT_TRUE(player->source().isEmpty());
    EXPECT_EQ(player->playbackState(), QMediaPlayer::StoppedState);
  }
}

}  // namespace
}  // namespace mailvane::test
