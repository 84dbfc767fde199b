#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>

#include <memory>

#include "controls/clsTooltips.h"

namespace mailvane {
namespace {

class ClsTooltipsTest : public testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<QWidget>();
    window->resize(400, 200);
    button = new QPushButton(QStringLiteral("Eml/Nws Extract"), window.get());
    button->setGeometry(20, 20, 160, 30);
    window->show();
  }

  // What Qt sends to a control after the mouse rests on it.
  void hover() {
    QHelpEvent event(QEvent::ToolTip, QPoint(10, 10), button->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(button, &event);
  }

  QLabel* label(const char* name) { return tips.hwnd()->findChild<QLabel*>(name); }

  std::unique_ptr<QWidget> window;
  QPushButton* button = nullptr;
  clsTooltips tips;
};

TEST_F(ClsTooltipsTest, BalloonShowsTitleIconAndTextOnHoverAndHidesOnLeave) {
  tips.CreateBalloon(button, QStringLiteral("This loads eml and nws files"),
                     QStringLiteral("Extract Eml and Nws Files"), clsTooltips::iconInfo);
  ASSERT_NE(tips.hwnd(), nullptr);
  EXPECT_TRUE(tips.Active());
  EXPECT_EQ(tips.Style(), clsTooltips::styleBalloon);
  EXPECT_TRUE(tips.hwnd()->look().balloon);
  EXPECT_FALSE(tips.hwnd()->isVisible());
  // Qt would otherwise hold back the hover of a window that is not the active one.
  EXPECT_TRUE(window->testAttribute(Qt::WA_AlwaysShowToolTips));

  hover();
  EXPECT_TRUE(tips.hwnd()->isVisible());
  EXPECT_EQ(label("balloonTitle")->text(), QStringLiteral("Extract Eml and Nws Files"));
  EXPECT_EQ(label("balloonText")->text(), QStringLiteral("This loads eml and nws files"));
  EXPECT_FALSE(label("balloonIcon")->isHidden());
  EXPECT_FALSE(label("balloonIcon")->pixmap().isNull());

  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(button, &leave);
  EXPECT_FALSE(tips.hwnd()->isVisible());
}

TEST_F(ClsTooltipsTest, TextWrapsAtThreeHundredPixelsAndStaysPlain) {
  const QString longText = QStringLiteral(
      "This listen and loads eml and nws files when Windows Mail or Windows Live Mail "
      "create them, and this sentence goes on for a while so that it cannot fit on one line");
  tips.CreateBalloon(button, longText, QStringLiteral("Title"), clsTooltips::iconInfo);
  QLabel* text = label("balloonText");
  const int lineHeight = QFontMetrics(text->font()).lineSpacing();
  EXPECT_LE(text->width(), BalloonPopup::maxTextWidth);
  EXPECT_GE(text->height(), 2 * lineHeight);

  tips.setTipText(QStringLiteral("<b>short</b> & sweet"));
  text = label("balloonText");
  EXPECT_LT(text->height(), 2 * lineHeight);
  EXPECT_EQ(text->textFormat(), Qt::PlainText);  // a message's text never becomes markup
}

TEST_F(ClsTooltipsTest, PropertyWritesRecreateTheTipAndKeepItsActiveState) {
  tips.CreateBalloon(button, QStringLiteral("text"), QStringLiteral("old"), clsTooltips::iconInfo);
  tips.setActive(false);
  tips.setTitle(QStringLiteral("new"));
  ASSERT_NE(tips.hwnd(), nullptr);
  EXPECT_EQ(label("balloonTitle")->text(), QStringLiteral("new"));
  EXPECT_FALSE(tips.Active());
  hover();
  EXPECT_FALSE(tips.hwnd()->isVisible());

  tips.setActive(true);
  tips.setIcon(clsTooltips::iconError);
  EXPECT_TRUE(tips.Active());
  hover();
  EXPECT_TRUE(tips.hwnd()->isVisible());
  EXPECT_EQ(tips.hwnd()->look().icon, clsTooltips::iconError);
}

TEST_F(ClsTooltipsTest, StyleAndCenteredApplyOnlyAtTheNextCreation) {
  tips.CreateBalloon(button, QStringLiteral("text"), QStringLiteral("title"));
  tips.setStyle(clsTooltips::styleStandard);
  EXPECT_TRUE(tips.hwnd()->look().balloon);
  tips.setForeColor(Qt::darkBlue);
  EXPECT_FALSE(tips.hwnd()->look().balloon);
  EXPECT_EQ(tips.hwnd()->look().foreColor, QColor(Qt::darkBlue));

  tips.setCentered(true);
  hover();
  ASSERT_TRUE(tips.hwnd()->isVisible());
  const QRect balloon = tips.hwnd()->geometry();
  const QPoint below = button->mapToGlobal(QPoint(button->width() / 2, button->height()));
  EXPECT_EQ(balloon.top(), below.y());
  EXPECT_NEAR(balloon.center().x(), below.x(), 1);
}

TEST_F(ClsTooltipsTest, StandardTipDropsTheInformationIcon) {
  tips.CreateTip(button, QStringLiteral("text"), QStringLiteral("title"), clsTooltips::iconInfo);
  EXPECT_EQ(tips.Icon(), clsTooltips::iconNone);
  EXPECT_FALSE(tips.hwnd()->look().balloon);
  EXPECT_TRUE(label("balloonIcon")->isHidden());

  tips.CreateTip(button, QStringLiteral("text"), QStringLiteral("title"), clsTooltips::iconWarning);
  EXPECT_EQ(tips.Icon(), clsTooltips::iconWarning);
  tips.CreateTip(button, QStringLiteral("text"), QStringLiteral("title"), 7);
  EXPECT_EQ(tips.Icon(), clsTooltips::iconNone);
}

TEST_F(ClsTooltipsTest, NoWindowWithoutControlAndNoneAfterTheControlIsGone) {
  clsTooltips loose;
  loose.setTitle(QStringLiteral("stored"));
  EXPECT_EQ(loose.hwnd(), nullptr);
  EXPECT_EQ(loose.Title(), QStringLiteral("stored"));
  EXPECT_FALSE(loose.showTip());

  tips.CreateBalloon(button, QStringLiteral("text"));
  delete button;
  EXPECT_EQ(tips.hwnd(), nullptr);
  EXPECT_EQ(tips.ParentControl(), nullptr);
  tips.setTipText(QStringLiteral("still safe"));
  EXPECT_EQ(tips.hwnd(), nullptr);

  tips.CreateBalloon(window.get(), QStringLiteral("text"));
  tips.Remove();
  EXPECT_EQ(tips.hwnd(), nullptr);
  EXPECT_EQ(tips.TipText(), QStringLiteral("text"));
}

}  // namespace
}  // namespace mailvane
