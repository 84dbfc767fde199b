#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

#include "controls/MsgBox.h"
#include "controls/clsTooltips.h"
#include "windows/FrmMenu/FrmMenu.h"
#include "windows/shell/WindowCatalog.h"
#include "windows/shell/WindowRegistry.h"

namespace mailvane {
namespace {

void flushDeletes() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A window that counts how often it was made and may refuse to close.
class FakeWindow : public QWidget {
 public:
  explicit FakeWindow(int* made) {
    ++*made;
    resize(200, 100);
  }
  bool refuseClose = false;

 protected:
  void closeEvent(QCloseEvent* event) override { refuseClose ? event->ignore() : event->accept(); }
};

class FrmMenuTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const QString& name : FrmMenu::programWindowNames())
      windows.add(name, [this] { return new FakeWindow(&made); });
    menu = new FrmMenu(windows);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->show();
  }

  void TearDown() override {
    delete menu.data();
    for (QWidget* window : windows.loadedWindows()) delete window;
    flushDeletes();
  }

  void click(const char* button) {
    QTest::mouseClick(menu->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
  }

  int made = 0;
  WindowRegistry windows;
  QPointer<FrmMenu> menu;
};

TEST_F(FrmMenuTest, EachButtonShowsTheSingleInstanceOfItsWindowWhichOutlivesTheMenu) {
  const std::pair<const char*, const char*> targets[] = {
      {"Command1", "FrmLive"},  {"Command2", "FrmDbxExtract"}, {"Command3", "FrmExtract"},
      {"Command4", "frmAbout"}, {"Command6", "FrmListen"},     {"Command7", "Frmindex"}};
  for (const auto& [button, window] : targets) {
    click(button);
    QWidget* first = windows.loaded(QLatin1String(window));
    ASSERT_NE(first, nullptr) << button;
    EXPECT_TRUE(first->isVisible());
    first->hide();
    click(button);
    EXPECT_EQ(windows.loaded(QLatin1String(window)), first) << button;
    EXPECT_TRUE(first->isVisible());
  }
  EXPECT_EQ(made, 6);
  EXPECT_EQ(windows.loadedWindows().size(), 6);

  // A closed window is unloaded; the next press makes a fresh one.
  windows.loaded(QStringLiteral("FrmLive"))->close();
  flushDeletes();
  EXPECT_EQ(windows.loaded(QStringLiteral("FrmLive")), nullptr);
  click("Command1");
  EXPECT_EQ(made, 7);

  // Closing the menu alone leaves the windows open.
  menu->close();
  flushDeletes();
  EXPECT_TRUE(menu.isNull());
  EXPECT_EQ(windows.loadedWindows().size(), 6);
  for (QWidget* window : windows.loadedWindows()) EXPECT_TRUE(window->isVisible());
}

TEST_F(FrmMenuTest, ExitClosesEveryWindowAndEndsTheEventLoop) {
  click("Command1");
  click("Command6");
  QPointer<QWidget> live = windows.loaded(QStringLiteral("FrmLive"));
  QPointer<QWidget> listen = windows.loaded(QStringLiteral("FrmListen"));
  ASSERT_TRUE(live && listen);

  bool stuck = false;
  QTimer::singleShot(0, menu.data(), [this] { click("Command5"); });
  // Only a guard so a broken Exit fails instead of hanging the run.
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [&stuck] {
    stuck = true;
    QCoreApplication::exit(1);
  });
  watchdog.start(20000);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_FALSE(stuck);
  flushDeletes();
  EXPECT_TRUE(live.isNull());
  EXPECT_TRUE(listen.isNull());
  EXPECT_TRUE(menu.isNull());
}

TEST_F(FrmMenuTest, ExitVisitsWindowsLastToFirstAndSkipsOthers) {
  windows.add(QStringLiteral("Stranger"), [this] { return new FakeWindow(&made); });
  QStringList closed;
  QObject listener;  // disconnects the recorders before `closed` goes away
  for (const char* name : {"FrmLive", "Stranger", "FrmExtract", "Frmindex"}) {
    QWidget* window = windows.show(QLatin1String(name));
    QObject::connect(window, &QObject::destroyed, &listener,
                     [&closed, name] { closed << QLatin1String(name); });
  }
  static_cast<FakeWindow*>(windows.loaded(QStringLiteral("FrmExtract")))->refuseClose = true;
  click("Command5");
  flushDeletes();
  EXPECT_EQ(closed, (QStringList{"Frmindex", "FrmLive"}));
  EXPECT_NE(windows.loaded(QStringLiteral("Stranger")), nullptr);
  EXPECT_NE(windows.loaded(QStringLiteral("FrmExtract")), nullptr);
  EXPECT_TRUE(menu.isNull());
}

// The buttons are how users (and screen readers) find each window, so their captions and
// balloons are the program's own words, exactly.
TEST_F(FrmMenuTest, ButtonsCarryTheirCaptionsAndTheWorkingWindowsBalloonsOverTheArtwork) {
  EXPECT_EQ(menu->windowTitle(), QStringLiteral("Mailvane"));
  for (const char* picture : {"Picture1", "Picture2"})
    EXPECT_FALSE(menu->findChild<QLabel*>(QLatin1String(picture))->pixmap().isNull()) << picture;
  const struct {
    const char* name;
    const char* caption;
    const char* title;  // the balloon's; none for About and Exit
    const char* text;
  } buttons[] = {
      {"Command1", "Eml/Nws Extract", "Extract Eml and Nws Files",
       "This loads eml and nws files from any folder you select"},
      {"Command2", "Dbx Extract", "Extract Eml and Nws Files from dbx",
       "This loads eml and nws files from a dbx file you select"},
      {"Command3", "OE and WM Personal Folders", "Extract Eml and Nws Files",
       "This loads eml and nws files from Personal folders in OE or Windows Mail"},
      {"Command4", "About", nullptr, nullptr},
      {"Command5", "Exit", nullptr, nullptr},
      {"Command6", "WM and WLM Listener",
       "Windows Mail and Windows Live Mail Extract Eml and Nws Files",
       "This listen and loads eml and nws files when Windows Mail or Windows Live Mail create "
       "them"},
      {"Command7", "Indexed News", "Search in indexed files", "This search for indexed News"}};
  QHash<QString, clsTooltips*> byButton;
  for (clsTooltips* tip : menu->findChildren<clsTooltips*>())
    byButton.insert(tip->ParentControl()->objectName(), tip);
  EXPECT_EQ(byButton.size(), 5);
  for (const auto& b : buttons) {
    SCOPED_TRACE(b.name);
    auto* button = menu->findChild<QPushButton*>(QLatin1String(b.name));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QLatin1String(b.caption));
    clsTooltips* tip = byButton.value(QLatin1String(b.name));
    if (!b.title) {
      EXPECT_EQ(tip, nullptr);
      continue;
    }
    QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(button, &hover);
    ASSERT_NE(tip, nullptr);
    ASSERT_TRUE(tip->hwnd() && tip->hwnd()->isVisible());
    EXPECT_EQ(tip->Style(), clsTooltips::styleBalloon);
    EXPECT_EQ(tip->Icon(), clsTooltips::iconInfo);
    EXPECT_EQ(tip->hwnd()->findChild<QLabel*>(QStringLiteral("balloonTitle"))->text(),
              QLatin1String(b.title));
    EXPECT_EQ(tip->hwnd()->findChild<QLabel*>(QStringLiteral("balloonText"))->text(),
              QLatin1String(b.text));
    tip->hideTip();
  }
}

TEST(WindowCatalogTest, EveryWindowOpensUnderItsCaption) {
  WindowRegistry windows;
  registerProgramWindows(windows);
  const std::pair<const char*, const char*> captions[] = {
      {"FrmLive", "Extract from Folders"},
      {"FrmDbxExtract", "Extract from Outlook Express Dbx files"},
      {"FrmExtract", "Extract from OE Folders"},
      {"FrmListen", "Listen on Windows Live or Windows Mail folders"},
      {"Frmindex", "Search in Indexed News"},
      {"frmAbout", "About Mailvane"},
      {"emlnwstest", "Windows Mail and Windows Live Mail Listener"}};
  // The listener finds no mail store here and says so once it is on screen.
  MsgBox::clearAnswered();
  MsgBox::answerNextWith(QMessageBox::Ok);
  for (const auto& [name, caption] : captions) {
    QWidget* window = windows.show(QLatin1String(name));
    ASSERT_NE(window, nullptr) << name;
    EXPECT_EQ(window->windowTitle(), QLatin1String(caption));
  }
  EXPECT_TRUE(QTest::qWaitFor([] { return !MsgBox::answered().isEmpty(); }, 20000));
  for (const QString& name : FrmMenu::programWindowNames()) EXPECT_TRUE(windows.contains(name));
  EXPECT_EQ(windows.show(QStringLiteral("NoSuchWindow")), nullptr);
}

}  // namespace
}  // namespace mailvane
