// Preview: the raw message goes to the alternating preview files, the page shows the
// message's own pictures from memory in the charset the message declares, and neither
// the page nor anything on it leaves the program.
#include <QBuffer>
#include <QImage>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <optional>

#include "codecs/Base64.h"
#include "system/SpecialFolders.h"
#include "tests/windows/FrmLiveTestSupport.h"
#include "windows/family/MessageCharsets.h"
#include "windows/family/PreviewContent.h"

namespace mailvane::test {
namespace {

std::string redPng() {
  QImage image(120, 120, QImage::Format_RGB32);
  image.fill(QColor(255, 0, 0));
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return png.toStdString();
}

// An HTML message with an inline picture and, given a port, a picture on a web server.
std::string pictureMessage(quint16 port) {
  const std::string boundary = "----=_NextPart_000_0001";
  const std::string remote =
      port ? "<IMG src=\"http://127.0.0.1:" + std::to_string(port) + "/remote.png\">" : "";
  return "From: a@example.org\r\nSubject: Red square\r\nMIME-Version: 1.0\r\n"
         "Content-Type: multipart/related;\r\n\tboundary=\"" +
         boundary +
         "\"\r\n\r\n"
         "--" +
         boundary +
         "\r\nContent-Type: text/html;\r\n\tcharset=\"iso-8859-1\"\r\n"
         "Content-Transfer-Encoding: 7bit\r\n\r\n"
         "<HTML><BODY style=\"margin:0\"><IMG src=\"cid:red@here\">" +
         remote +
         "</BODY></HTML>\r\n\r\n"
         "--" +
         boundary +
         "\r\nContent-Type: image/png;\r\n\tname=\"red.png\"\r\n"
         "Content-Transfer-Encoding: base64\r\nContent-ID: <red@here>\r\n\r\n" +
         Base64().EncodeArr(redPng()) + "\r\n\r\n--" + boundary + "--\r\n";
}

// Counts every connection a page makes to it.
class Watchpost : public QTcpServer {
 public:
  int hits = 0;
  Watchpost() {
    listen(QHostAddress::LocalHost);
    connect(this, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = nextPendingConnection()) {
        ++hits;
        socket->close();
      }
    });
  }
};

class FrmLivePreviewTest : public FrmLiveFixture {
 protected:
  QWebEngineView* view() const { return child<QWebEngineView>("W1"); }

  // Previews row and waits (generously) until its page is there.
  void preview(int row) {
    list1()->setCurrentRow(row);
    QSignalSpy loads(view(), &QWebEngineView::loadFinished);
    click("Command9");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          if (loads.isEmpty()) loads.wait(1000);
          while (!loads.isEmpty()) {
            const bool ok = loads.takeFirst().at(0).toBool();
            if (ok && view()->url().scheme() == QLatin1String("mailvane-preview")) return true;
          }
          return false;
        },
        60000))
        << "row " << row;
  }

  QString pageText() const {
    auto text = std::make_shared<std::optional<QString>>();
    view()->page()->toPlainText([text](const QString& got) { *text = got; });
    (void)QTest::qWaitFor([&] { return text->has_value(); }, 10000);
    return text->value_or(QStringLiteral("(no answer)"));
  }

  int redPixels() const {
    const QImage shot = view()->grab().toImage();
    int red = 0;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x) {
        const QColor c = shot.pixelColor(x, y);
        if (c.red() > 200 && c.green() < 60 && c.blue() < 60) ++red;
      }
    return red;
  }
};

// One part: the declaration goes in as given (line ends LF when lf is set).
std::string singlePart(const std::string& contentType, const std::string& body, bool lf = false) {
  std::string text = "From: a@example.org\r\nSubject: Charset\r\nMIME-Version: 1.0\r\n" +
                     contentType + "\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" + body + "\r\n";
  if (lf)
    for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) text.erase(at, 1);
  return text;
}

std::string page(const std::string& meta, const std::string& text) {
  return "<html><head>" + meta + "<title>t</title></head><body><p>" + text + "</p></body></html>";
}

TEST_F(FrmLivePreviewTest, PageShowsTheTextInTheCharsetTheMessageDeclares) {
  const std::string utf8 =
      "Gr\xC3\xBC\xC3\x9F"
      "e";  // Grüße
  const std::string latin2 =
      "\xA3\xF3"
      "d\xBC";  // Łódź in ISO-8859-2
  const std::string metaUtf8 = "<meta charset=\"utf-8\">";
  const std::string metaLatin9 =
      "<META http-equiv=Content-Type content=\"text/html; charset=ISO-8859-15\">";
  const struct {
    std::string message;
    const char* shown;
  } cases[] = {
      {singlePart("Content-Type: text/html; charset=\"utf-8\"", page("", utf8)), "Grüße"},
      {singlePart("content-type: TEXT/HTML;\r\n\tcharset=UTF-8", page("", utf8), true), "Grüße"},
      {singlePart("Content-Type: text/html", page(metaUtf8, utf8)), "Grüße"},
      {singlePart("Content-Type: text/html; charset=utf-8",
                  page("<meta charset=iso-8859-1>", utf8)),
       "Grüße"},
      {singlePart("Content-Type: text/html; charset=x-made-up", page(metaUtf8, utf8)), "Grüße"},
      {singlePart("Content-Type: text/html;\r\n charset=iso-8859-2", page("", latin2)), "Łódź"},
      {singlePart("Content-Type: text/html", page(metaLatin9, "\xA4 5")), "€ 5"},
      {singlePart("Content-Type: text/html", page("", "\x80 5 \xFC")), "€ 5 ü"},
      {singlePart("Content-Type: text/plain; charset=utf-8", utf8 + " <b>"), "Grüße <b>"},
      {singlePart("Content-Type: text/plain;\r\n\tcharset=\"iso-8859-2\"", latin2), "Łódź"},
      {singlePart("Content-Type: text/plain", "\x80 5"), "€ 5"},
  };
  for (size_t i = 0; i < std::size(cases); ++i)
    writeBytes(folder() / ("m" + std::to_string(10 + i) + ".eml"), cases[i].message);
  const fs::path cache = system::GetSpecialFolder(system::kCsidlInternetCache);
  const fs::path files[] = {cache / "temp1.eml", cache / "temp.eml"};
  for (const auto& file : files) fs::remove(file);
  openOn();
  window->show();
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    preview(static_cast<int>(i));
    EXPECT_EQ(pageText().trimmed(), QString::fromUtf8(cases[i].shown));
    // The raw message goes to the two preview files in turn, for other programs.
    EXPECT_EQ(readBytes(files[i % 2]), cases[i].message + "\r\n");
    EXPECT_EQ(readBytes(files[1 - i % 2]), i ? cases[i - 1].message + "\r\n" : "");
  }
  EXPECT_TRUE(child<QPlainTextEdit>("R1")->isHidden());
}

TEST_F(FrmLivePreviewTest, PagesShowTheirOwnPicturesAndNeverLeaveTheProgram) {
  Watchpost server;
  ASSERT_TRUE(server.isListening());
  const std::string away = "http://127.0.0.1:" + std::to_string(server.serverPort()) + "/away";
  auto block = [](const std::string& href, const std::string& extra = "") {
    return "<a " + extra + " href=\"" + href + "\" style=\"display:block;height:60px;margin:0\">" +
           href + "</a>";
  };
  writeBytes(folder() / "links.eml",
             singlePart("Content-Type: text/html; charset=us-ascii",
                        "<html><head><meta http-equiv=\"refresh\" content=\"0; url=" + away +
                            "\"></head><body style=\"margin:0\">" + block("https://example.org/a") +
                            block("file:///etc/passwd") + block("mailto:ann@example.org") +
                            block("http://example.org/new", "target=\"_blank\"") + block("#below") +
                            "<p id=below>end</p></body></html>"));
  writeBytes(folder() / "red.eml", pictureMessage(server.serverPort()));
  openOn();
  QList<QUrl> opened;
  window->setDesktopOpener([&](const QUrl& url) { opened << url; });
  window->resize(1000, 700);
  window->show();

  // Links go to the desktop; the page stays, and neither its refresh nor a click leaves it.
  preview(0);
  const QUrl page = view()->url();
  const QString text = pageText();
  ASSERT_TRUE(text.contains("mailto:ann@example.org"));
  QTest::qWait(1000);  // the refresh would have gone by now
  const struct {
    int block;
    const char* opens;  // nothing when empty
  } clicks[] = {{0, "https://example.org/a"},
                {1, ""},
                {2, "mailto:ann@example.org"},
                {3, "http://example.org/new"},
                {4, ""}};
  for (const auto& c : clicks) {
    SCOPED_TRACE(c.block);
    opened.clear();
    QTest::mouseClick(view()->focusProxy(), Qt::LeftButton, {}, QPoint(40, 60 * c.block + 30));
    if (c.opens[0]) (void)QTest::qWaitFor([&] { return !opened.isEmpty(); }, 5000);
    QTest::qWait(300);  // time to go wrong: a second opening, a page left behind
    EXPECT_EQ(opened, c.opens[0] ? QList<QUrl>{QUrl(c.opens)} : QList<QUrl>{});
    EXPECT_EQ(view()->url().adjusted(QUrl::RemoveFragment), page);
    EXPECT_EQ(pageText(), text);
  }

  // The inline picture is painted, after the page reports loaded; the remote one is
  // never asked for.
  preview(1);
  EXPECT_TRUE(view()->isVisible());
  EXPECT_TRUE(QTest::qWaitFor([&] { return redPixels() > 100 * 100; }, 30000))
      << "red pixels: " << redPixels();
  // Back to a text view: the browser goes blank and hides.
  click("Command10");
  EXPECT_TRUE(view()->isHidden());
  EXPECT_EQ(server.hits, 0);
}

TEST(MessageCharsets, FindsThePartsAndTheDocumentsDeclaration) {
  const std::string message =
      "Content-Type: multipart/alternative; boundary=\"b\"\r\n\r\n--b\r\n"
      "CONTENT-TYPE: text/plain;\r\n\tcharset=\"ISO-8859-2\"\r\n\r\ntext\r\n--b\r\n"
      "Content-type: text/html;\n charset=utf-8\n\n<html></html>\n--b\r\n"
      "Content-Type: text/html; charset=koi8-r\r\n\r\n<html></html>\r\n--b--\r\n";
  EXPECT_EQ(MessageCharsets::partCharset(message, "text/plain"), "ISO-8859-2");
  EXPECT_EQ(MessageCharsets::partCharset(message, "text/html"), "utf-8");
  EXPECT_EQ(MessageCharsets::partCharset(message, "image/png"), "");
  EXPECT_EQ(MessageCharsets::partCharset("Content-Type: text/html\r\n\r\n", "text/html"), "");

  const struct {
    const char* html;
    const char* charset;
  } metas[] = {
      {"<meta charset=\"utf-8\">", "utf-8"},
      {"<META CHARSET=windows-1250>", "windows-1250"},
      {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-7\">",
       "iso-8859-7"},
      {"<meta name=x content=y><meta content='text/html;charset=koi8-r' http-equiv=content-type>",
       "koi8-r"},
      {"<meta name=\"charset-note\" content=\"none\">", ""},
      {"<body><meta charset=utf-8>", ""},
      {"no markup", ""},
  };
  for (const auto& meta : metas)
    EXPECT_EQ(MessageCharsets::metaCharset(meta.html), meta.charset) << meta.html;
}

TEST(PreviewContent, ServesPartsByNameOrContentIdAndPlainTextEscaped) {
  auto pars = std::make_shared<SrParser>();
  pars->Source = pictureMessage(1);
  pars->identify_mailheader(pars->Source);
  pars->Getall(pars->Source);
  PreviewContent content(pars);
  EXPECT_NE(content.page().body.indexOf("src=\"red.png\""), -1);
  const auto byName = content.part(QStringLiteral("red.png"));
  ASSERT_TRUE(byName.has_value());
  EXPECT_EQ(byName->mimeType, "image/png");
  EXPECT_EQ(byName->body.toStdString(), redPng());
  EXPECT_TRUE(content.part(QStringLiteral("RED.PNG")).has_value());
  EXPECT_TRUE(content.part(QStringLiteral("red@here")).has_value());
  EXPECT_FALSE(content.part(QStringLiteral("other.png")).has_value());

  EXPECT_EQ(content.page().mimeType, "text/html; charset=iso-8859-1");

  auto plain = std::make_shared<SrParser>();
  plain->Text = "<b>not markup</b>";
  const QByteArray page = PreviewContent(plain).page().body;
  EXPECT_NE(page.indexOf("&lt;b&gt;not markup&lt;/b&gt;"), -1);
  EXPECT_EQ(page.indexOf("<b>"), -1);
}

}  // namespace
}  // namespace mailvane::test
