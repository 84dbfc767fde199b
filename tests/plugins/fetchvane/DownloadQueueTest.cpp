#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTemporaryDir>
#include <csignal>

#include "tests/support/TestHttpServer.h"
#include "plugins/fetchvane/DownloadName.h"
#include "plugins/fetchvane/DownloadQueue.h"
#include "tests/plugins/TestApp.h"

namespace mailvane::fetchvane {
namespace {

using mailvane::testing::fileHoldsPattern;
using mailvane::testing::TestHttpServer;
using mailvane::testing::waitUntil;
using State = Download::State;

class DownloadQueueTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { mailvane::testing::ensureApplication(); }

  QString folder() const { return temp_.path() + "/out"; }
  QString file(const QString& name) const { return folder() + "/" + name; }
  QStringList filesIn(const QString& path) const {
    return QDir(path).entryList(QDir::Files | QDir::Hidden | QDir::System);
  }
  int add(const QString& path) { return queue_.add(server_.url(path), folder()); }
  bool allEnded() {
    return waitUntil([this] { return queue_.runningCount() == 0 && queue_.queuedCount() == 0; });
  }

  QTemporaryDir temp_;
  TestHttpServer server_;
  DownloadQueue queue_;
};

TEST_F(DownloadQueueTest, FilesArriveByteIdenticalWhateverTheDelivery) {
  const QList<qint64> sizes = {0, 1, 1000, 65536 + 7, 5 << 20, 50 << 20};
  for (qint64 size : sizes) add(QStringLiteral("/bytes/%1/f%1.bin").arg(size));
  add("/slow/150000/slow.bin");
  add("/nolength/300000/nolength.bin");
  add("/redirect/redirect/bytes/7000/moved.bin");
  ASSERT_TRUE(allEnded());

  for (int row = 0; row < queue_.count(); ++row) {
    EXPECT_EQ(queue_.at(row).state(), State::Finished) << queue_.at(row).reason().toStdString();
  }
  for (qint64 size : sizes) {
    EXPECT_TRUE(fileHoldsPattern(file(QStringLiteral("f%1.bin").arg(size)), size)) << size;
  }
  EXPECT_TRUE(fileHoldsPattern(file("slow.bin"), 150000));
  EXPECT_TRUE(fileHoldsPattern(file("nolength.bin"), 300000));
  // The name comes from the link handed over, not from where the server sent us.
  EXPECT_TRUE(fileHoldsPattern(file("moved.bin"), 7000));
  EXPECT_EQ(filesIn(folder()).size(), sizes.size() + 3) << "temporary files left behind";
}

TEST_F(DownloadQueueTest, FailuresSayWhyAndLeaveNoFile) {
  quint16 closedPort = 0;
  {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    closedPort = probe.serverPort();
  }
  const int notFound = add("/status/404/missing.mid");
  const int serverError = add("/status/500/broken.mid");
  const int dropped = add("/drop/400000/dropped.mid");
  const int offTheWeb = add("/ftp-redirect/elsewhere.mid");
  const int refused =
      queue_.add(QStringLiteral("http://127.0.0.1:%1/refused.mid").arg(closedPort), folder());
  const int flaky = add("/flaky/5000/flaky.wav");
  ASSERT_TRUE(allEnded());

  for (int row : {notFound, serverError, dropped, offTheWeb, refused, flaky}) {
    EXPECT_EQ(queue_.at(row).state(), State::Failed) << row;
    EXPECT_FALSE(queue_.at(row).reason().isEmpty()) << row;
    EXPECT_TRUE(queue_.at(row).canRetry()) << row;
  }
  EXPECT_TRUE(queue_.at(notFound).reason().contains("404"));
  EXPECT_TRUE(queue_.at(serverError).reason().contains("500"));
  EXPECT_TRUE(queue_.at(offTheWeb).reason().contains("ftp://")) << queue_.at(offTheWeb).reason().toStdString();
  EXPECT_TRUE(queue_.at(flaky).reason().contains("503"));
  EXPECT_EQ(filesIn(folder()), QStringList()) << "an error page or a partial body was kept";

  // What failed on the way may succeed when tried again.
  ASSERT_TRUE(queue_.retry(flaky));
  ASSERT_TRUE(allEnded());
  EXPECT_EQ(queue_.at(flaky).state(), State::Finished);
  EXPECT_EQ(filesIn(folder()), QStringList{"flaky.wav"});
  EXPECT_TRUE(fileHoldsPattern(file("flaky.wav"), 5000));
}

TEST_F(DownloadQueueTest, OnlyWebLinksAreRequested) {
  EXPECT_TRUE(isFetchable(QUrl("http://h/a.mid")));
  EXPECT_TRUE(isFetchable(QUrl("HTTPS://h/a.mid")));
  for (const char* link : {"ftp://127.0.0.1/a.mid", "file:///etc/passwd", "javascript:alert(1)",
                           "mailto:a@b", "", "a.mid", "http:///a.mid", "c:\\sounds\\a.mid"}) {
    const int row = queue_.add(QString::fromLatin1(link), folder());
    EXPECT_EQ(queue_.at(row).state(), State::Failed) << link;
    EXPECT_TRUE(queue_.at(row).reason().startsWith("Refused")) << link;
    EXPECT_FALSE(queue_.at(row).canRetry()) << link;
    EXPECT_FALSE(queue_.retry(row));
  }
  const int noFolder = queue_.add(server_.url("/bytes/1/a.mid"), QString());
  EXPECT_EQ(queue_.at(noFolder).state(), State::Failed);
  EXPECT_EQ(server_.totalRequests(), 0);
  EXPECT_FALSE(QDir(folder()).exists());
}

TEST_F(DownloadQueueTest, AtMostThreeRunAndTheRestWait) {
  constexpr int kLinks = 8;
  for (int i = 0; i < kLinks; ++i) add(QStringLiteral("/hold/200000/held%1.bin").arg(i));
  ASSERT_TRUE(waitUntil([this] { return server_.heldCount() == 3; }));
  EXPECT_EQ(queue_.runningCount(), 3);
  EXPECT_EQ(queue_.queuedCount(), kLinks - 3);

  ASSERT_TRUE(waitUntil([this] {
    server_.releaseHeld();
    return queue_.runningCount() == 0 && queue_.queuedCount() == 0;
  }));
  EXPECT_LE(server_.maxOpenRequests(), 3);
  for (int i = 0; i < kLinks; ++i) {
    EXPECT_TRUE(fileHoldsPattern(file(QStringLiteral("held%1.bin").arg(i)), 200000)) << i;
  }
}

TEST_F(DownloadQueueTest, CancelRemovesTheTemporaryFileAndRetryFetchesAgain) {
  const int row = add("/hold/100000/song.mid");
  ASSERT_TRUE(waitUntil([this] { return server_.heldCount() == 1; }));
  ASSERT_TRUE(waitUntil([&] { return queue_.at(row).received() > 0; }));
  EXPECT_EQ(filesIn(folder()), QStringList{"song.mid.part"});

  queue_.cancel(row);
  EXPECT_EQ(queue_.at(row).state(), State::Cancelled);
  EXPECT_EQ(filesIn(folder()), QStringList());

  ASSERT_TRUE(queue_.retry(row));
  ASSERT_TRUE(waitUntil([this] {
    server_.releaseHeld();
    return queue_.runningCount() == 0;
  }));
  EXPECT_EQ(queue_.at(row).state(), State::Finished);
  EXPECT_TRUE(fileHoldsPattern(file("song.mid"), 100000));
  EXPECT_EQ(filesIn(folder()), QStringList{"song.mid"});
}

TEST_F(DownloadQueueTest, AWaitingDownloadCancelledIsNeverRequested) {
  DownloadQueue oneAtATime(1);
  const int first = oneAtATime.add(server_.url("/hold/1000/first.mid"), folder());
  const int second = oneAtATime.add(server_.url("/bytes/1000/second.mid"), folder());
  EXPECT_EQ(oneAtATime.at(second).state(), State::Queued);
  oneAtATime.cancel(second);
  ASSERT_TRUE(waitUntil([&] {
    server_.releaseHeld();
    return oneAtATime.at(first).state() == State::Finished;
  }));
  EXPECT_EQ(server_.requestCount("/bytes/1000/second.mid"), 0);
  EXPECT_EQ(filesIn(folder()), QStringList{"first.mid"});
}

TEST_F(DownloadQueueTest, NamesNeverOverwriteAndStayInsideTheFolder) {
  ASSERT_TRUE(QDir().mkpath(folder()));
  {
    QFile mine(file("taken.mid"));
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.write("mine");
  }
  add("/bytes/10/taken.mid");
  add("/bytes/20/a/same.wav");
  add("/bytes/30/b/same.wav");
  add("/bytes/40/..%2F..%2Fescape.mid");
  const QString deep = folder() + "/deep/er";
  queue_.add(server_.url("/bytes/50/deep.mid"), deep);
  ASSERT_TRUE(allEnded());

  QFile mine(file("taken.mid"));
  ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
  EXPECT_EQ(mine.readAll(), "mine");
  EXPECT_TRUE(fileHoldsPattern(file("taken1.mid"), 10));
  // The two same-named files may finish in either order; each must be whole.
  const bool ordered = fileHoldsPattern(file("same.wav"), 20) && fileHoldsPattern(file("same1.wav"), 30);
  const bool swapped = fileHoldsPattern(file("same.wav"), 30) && fileHoldsPattern(file("same1.wav"), 20);
  EXPECT_TRUE(ordered || swapped);
  EXPECT_TRUE(fileHoldsPattern(file("_.._escape.mid"), 40));
  EXPECT_TRUE(fileHoldsPattern(deep + "/deep.mid", 50));
  EXPECT_EQ(filesIn(temp_.path()), QStringList());
}

TEST_F(DownloadQueueTest, ALinkIsFetchedOncePerFolder) {
  const QString path = "/bytes/3000/once.mid";
  const int row = add(path);
  EXPECT_EQ(queue_.add("  " + server_.url(path) + "#again", folder()), row);
  ASSERT_TRUE(allEnded());
  EXPECT_EQ(add(path), row);

  queue_.clearEnded();
  EXPECT_EQ(queue_.count(), 0);
  const int again = add(path);
  EXPECT_EQ(queue_.at(again).state(), State::Finished);
  EXPECT_EQ(queue_.at(again).targetFile(), file("once.mid"));
  EXPECT_EQ(server_.requestCount(path), 1);
  EXPECT_EQ(filesIn(folder()), QStringList{"once.mid"});

  queue_.add(server_.url(path), folder() + "/other");
  ASSERT_TRUE(allEnded());
  EXPECT_EQ(server_.requestCount(path), 2);
}

TEST_F(DownloadQueueTest, AFullDiskFailsTheRowAndLeavesNoFile) {
  // A file-size limit makes writes fail the way a full disk does.
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 256 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

  const int row = add("/bytes/2000000/big.wav");
  const bool ended = allEnded();
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  ASSERT_TRUE(ended);
  EXPECT_EQ(queue_.at(row).state(), State::Failed);
  EXPECT_TRUE(queue_.at(row).reason().startsWith("Cannot write")) << queue_.at(row).reason().toStdString();
  EXPECT_EQ(filesIn(folder()), QStringList());
}

TEST_F(DownloadQueueTest, ClearingKeepsWhatIsStillRunning) {
  add("/hold/10000/held.mid");
  add("/bytes/10/done.mid");
  add("/status/404/gone.mid");
  ASSERT_TRUE(waitUntil([this] { return queue_.runningCount() == 1 && queue_.queuedCount() == 0; }));
  ASSERT_TRUE(waitUntil([this] { return server_.heldCount() == 1; }));
  queue_.clearEnded();
  ASSERT_EQ(queue_.count(), 1);
  EXPECT_EQ(queue_.at(0).link(), server_.url("/hold/10000/held.mid"));
  queue_.cancelAll();
  EXPECT_EQ(queue_.at(0).state(), State::Cancelled);
  EXPECT_EQ(filesIn(folder()), QStringList{"done.mid"});
}

QString nameOf(const char* link) { return fileNameForLink(QUrl(QString::fromUtf8(link))); }

// The decoded last segment of the path, never empty, never a folder reference, and with
// no separator or control character that could lead outside the download folder.
TEST(DownloadName, TakesTheDecodedLastSegmentAndKeepsItInsideTheFolder) {
  const std::pair<const char*, const char*> cases[] = {
      {"http://h/sounds/song.mid", "song.mid"},
      {"http://h/sounds/my%20song.mid", "my song.mid"},
      {"http://h/a/b.mid?x=1/c.wav#frag", "b.mid"},
      {"http://h/caf%C3%A9.wav", "caf\u00e9.wav"},
      {"http://h/a%2Bb%25.mid", "a+b%.mid"},
      {"http://h/.hidden.wav", "hidden.wav"},
      {"http://h/x.mid.%20.", "x.mid"},
      {"http://h/..%2F..%2Fetc%2Fpasswd", "_.._etc_passwd"},
      {"http://h/a%5Cb.mid", "a_b.mid"},
      {"http://h/a%00b%0D%0A.mid", "a_b__.mid"},
      {"http://h/a%3A%2A%3F%22%3C%3E%7C.mid", "a_______.mid"},
  };
  for (const auto& [link, name] : cases) EXPECT_EQ(nameOf(link), QString::fromUtf8(name)) << link;
  for (const char* link : {"http://h", "http://h/", "http://h/dir/", "http://h/%2e%2e",
                           "http://h/...", "http://h/%20%20"})
    EXPECT_EQ(nameOf(link), "download") << link;
}

TEST(DownloadName, LongNamesKeepTheirExtensionAndWholeCharacters) {
  const QString ascii = cleanFileName(QString(300, QLatin1Char('a')) + ".mid");
  EXPECT_LE(ascii.toUtf8().size(), 200);
  EXPECT_TRUE(ascii.endsWith(".mid"));

  QString emoji;
  for (int i = 0; i < 100; ++i) emoji += QString::fromUtf8("\xF0\x9F\x98\x80");
  const QString cut = cleanFileName(emoji + ".wav");
  EXPECT_LE(cut.toUtf8().size(), 200);
  EXPECT_TRUE(cut.endsWith(".wav"));
  EXPECT_EQ(QString::fromUtf8(cut.toUtf8()), cut) << "a surrogate pair was split";
}

TEST(DownloadName, GarbageAlwaysGivesOneSafeName) {
  QRandomGenerator random(42);
  for (int round = 0; round < 2000; ++round) {
    QString raw;
    const int length = random.bounded(0, 40);
    for (int i = 0; i < length; ++i) {
      static const char pool[] = "./\\%2Fe:*?\"<>| \x01\x7f" "abc";
      raw += QLatin1Char(pool[random.bounded(int(sizeof pool - 1))]);
    }
    const QString name = fileNameForLink(QUrl(QStringLiteral("http://h/") + raw));
    ASSERT_FALSE(name.isEmpty()) << raw.toStdString();
    EXPECT_FALSE(name.contains(QLatin1Char('/'))) << raw.toStdString();
    EXPECT_FALSE(name.startsWith(QLatin1Char('.'))) << raw.toStdString();
  }
}

}  // namespace
}  // namespace mailvane::fetchvane
