#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "plugins/fetchvane/DownloadName.h"

namespace mailvane::fetchvane {
namespace {

QString nameOf(const char* link) { return fileNameForLink(QUrl(QString::fromUtf8(link))); }

TEST(DownloadName, TakesTheDecodedLastSegment) {
  EXPECT_EQ(nameOf("http://h/sounds/song.mid"), "song.mid");
  EXPECT_EQ(nameOf("http://h/sounds/my%20song.mid"), "my song.mid");
  EXPECT_EQ(nameOf("http://h/a/b.mid?x=1/c.wav#frag"), "b.mid");
  EXPECT_EQ(nameOf("http://h/caf%C3%A9.wav"), QString::fromUtf8("caf\u00e9.wav"));
  EXPECT_EQ(nameOf("http://h/a%2Bb%25.mid"), "a+b%.mid");
}

TEST(DownloadName, NeverEmptyNeverAFolderReference) {
  EXPECT_EQ(nameOf("http://h"), "download");
  EXPECT_EQ(nameOf("http://h/"), "download");
  EXPECT_EQ(nameOf("http://h/dir/"), "download");
  EXPECT_EQ(nameOf("http://h/%2e%2e"), "download");
  EXPECT_EQ(nameOf("http://h/..."), "download");
  EXPECT_EQ(nameOf("http://h/%20%20"), "download");
  EXPECT_EQ(nameOf("http://h/.hidden.wav"), "hidden.wav");
  EXPECT_EQ(nameOf("http://h/x.mid.%20."), "x.mid");
}

TEST(DownloadName, EncodedSeparatorsAndControlsCannotLeaveTheFolder) {
  EXPECT_EQ(nameOf("http://h/..%2F..%2Fetc%2Fpasswd"), "_.._etc_passwd");
  EXPECT_EQ(nameOf("http://h/a%5Cb.mid"), "a_b.mid");
  EXPECT_EQ(nameOf("http://h/a%00b%0D%0A.mid"), "a_b__.mid");
  EXPECT_EQ(nameOf("http://h/a%3A%2A%3F%22%3C%3E%7C.mid"), "a_______.mid");
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

TEST(DownloadName, OnlyWebLinksAreFetched) {
  EXPECT_TRUE(isFetchable(QUrl("http://h/a.mid")));
  EXPECT_TRUE(isFetchable(QUrl("HTTPS://h/a.mid")));
  for (const char* link : {"ftp://h/a.mid", "file:///etc/passwd", "javascript:alert(1)",
                           "mailto:a@b", "", "a.mid", "http:///a.mid", "c:\\sounds\\a.mid"}) {
    EXPECT_FALSE(isFetchable(QUrl(QString::fromLatin1(link)))) << link;
  }
}

}  // namespace
}  // namespace mailvane::fetchvane
