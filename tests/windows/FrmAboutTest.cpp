#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "controls/MsgBox.h"
#include "windows/frmAbout/SystemInfoTool.h"
#include "windows/frmAbout/frmAbout.h"

// Receives the URLs that the About box hands to the desktop.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public slots:
  void open(const QUrl& url) { opened.append(url); }
};

namespace mailvane {
namespace {

const QString unavailable = QStringLiteral("System Information Is Unavailable At This Time");

class FrmAboutTest : public testing::Test {
 protected:
  void SetUp() override {
    savedPath = qgetenv("PATH");
    MsgBox::clearAnswered();
    about.show();
  }
  void TearDown() override {
    qputenv("PATH", savedPath);
    MsgBox::clearAnswered();
  }

  template <typename T>
  T* child(const char* name) {
    return about.findChild<T*>(QLatin1String(name));
  }

  bool emphasised(const char* name) {
    const QFont font = child<QLabel>(name)->font();
    EXPECT_EQ(font.bold(), font.underline()) << name;
    return font.bold() && font.underline();
  }

  void enter(const char* name) {
    QLabel* label = child<QLabel>(name);
    QEnterEvent event(QPointF(2, 2), label->mapToGlobal(QPointF(2, 2)),
                      label->mapToGlobal(QPointF(2, 2)));
    QCoreApplication::sendEvent(label, &event);
  }

  QByteArray savedPath;
  frmAbout about;
};

TEST_F(FrmAboutTest, ShowsCaptionTitleVersionAndDescription) {
  const QString version = child<QLabel>("lblVersion")->text();
  EXPECT_EQ(version, QStringLiteral("Version " MAILVANE_VERSION_TEXT));
  EXPECT_TRUE(
      QRegularExpression(QStringLiteral("^Version \\d+\\.\\d+\\.\\d+$")).match(version).hasMatch());
  EXPECT_EQ(about.windowTitle(), QStringLiteral("About Mailvane"));
  EXPECT_EQ(child<QLabel>("lblTitle")->text(), QStringLiteral("Mailvane"));
  const QStringList lines = child<QPlainTextEdit>("Text1")->toPlainText().split(QLatin1Char('\n'));
  ASSERT_GE(lines.size(), 6);
  EXPECT_EQ(lines[0],
            QStringLiteral("Mailvane is a program written for personal use to extract and "));
  EXPECT_EQ(lines[2], QStringLiteral("sent. The latest Mailvane version can be downloaded at:"));
  EXPECT_EQ(lines[3], frmAbout::webSite().toString());
  EXPECT_EQ(lines[4], frmAbout::homePage().toString());
  EXPECT_EQ(lines[5], QStringLiteral("Tovelund"));
  EXPECT_TRUE(child<QPlainTextEdit>("Text1")->isReadOnly());
}

TEST_F(FrmAboutTest, LinksOpenTheirTargetsOnTheDesktop) {
  UrlRecorder recorder;
  QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
  QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &recorder, "open");
  for (const char* name : {"Label1", "Label2", "lblDisclaimer"})
    QTest::mouseClick(child<QLabel>(name), Qt::LeftButton);
  QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
  QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
  EXPECT_EQ(recorder.opened,
            (QList<QUrl>{frmAbout::webSite(), frmAbout::mailAddress(), frmAbout::homePage()}));
  EXPECT_EQ(frmAbout::mailAddress().scheme(), QStringLiteral("mailto"));
}

TEST_F(FrmAboutTest, TheLinkUnderTheMouseIsBoldAndUnderlinedAndTheOthersPlain) {
  enter("Label2");
  EXPECT_FALSE(emphasised("Label1"));
  EXPECT_TRUE(emphasised("Label2"));
  EXPECT_FALSE(emphasised("lblDisclaimer"));
  enter("lblDisclaimer");
  EXPECT_FALSE(emphasised("Label2"));
  EXPECT_TRUE(emphasised("lblDisclaimer"));

  QMouseEvent move(QEvent::MouseMove, QPointF(4, 4), about.mapToGlobal(QPointF(4, 4)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&about, &move);
  for (const char* name : {"Label1", "Label2", "lblDisclaimer"}) EXPECT_FALSE(emphasised(name));
}

TEST_F(FrmAboutTest, SystemInfoStartsTheFirstToolOnPathOrSaysItIsUnavailable) {
  QTemporaryDir bin;
  ASSERT_TRUE(bin.isValid());
  qputenv("PATH", QFile::encodeName(bin.path()));
  QStringList started;
  about.setProgramStarter([&started](const QString& program) {
    started << program;
    return true;
  });

  MsgBox::answerNextWith(QMessageBox::Ok);
  QTest::mouseClick(child<QPushButton>("cmdSysInfo"), Qt::LeftButton);
  EXPECT_TRUE(started.isEmpty());
  ASSERT_EQ(MsgBox::answered().size(), 1);
  EXPECT_EQ(MsgBox::answered()[0].text, unavailable);
  EXPECT_EQ(MsgBox::answered()[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

  const QString tool = QDir(bin.path()).filePath(SystemInfoTool::candidates().at(1));
  QFile script(tool);
  ASSERT_TRUE(script.open(QIODevice::WriteOnly));
  script.write("#!/bin/sh\n");
  script.close();
  script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QTest::mouseClick(child<QPushButton>("cmdSysInfo"), Qt::LeftButton);
  EXPECT_EQ(started, QStringList{tool});
  EXPECT_EQ(MsgBox::answered().size(), 1);

  // A tool that will not start is as good as none.
  about.setProgramStarter([](const QString&) { return false; });
  MsgBox::answerNextWith(QMessageBox::Ok);
  QTest::mouseClick(child<QPushButton>("cmdSysInfo"), Qt::LeftButton);
  ASSERT_EQ(MsgBox::answered().size(), 2);
  EXPECT_EQ(MsgBox::answered()[1].text, unavailable);
}

TEST(FrmAboutUnloadTest, OkUnloadsTheWindow) {
  QPointer<frmAbout> about = new frmAbout;
  about->setAttribute(Qt::WA_DeleteOnClose);
  about->show();
  QTest::mouseClick(about->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(about.isNull());
}

}  // namespace
}  // namespace mailvane

#include "FrmAboutTest.moc"
