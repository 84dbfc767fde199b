#include <gtest/gtest.h>

#include <QWidget>

#include "controls/Animate.h"
#include "controls/WidgetReveal.h"

namespace mailvane {
namespace {

using S = Animate::Switches;

TEST(AnimateTest, EachDirectionAddsItsFlagAndOthersDoNothing) {
  EXPECT_EQ(Animate::flags(S{}, 0), Animate::AW_VER_POSITIVE);
  EXPECT_EQ(Animate::flags(S{}, 1), Animate::AW_VER_NEGATIVE);
  EXPECT_EQ(Animate::flags(S{}, 2), Animate::AW_HOR_POSITIVE);
  EXPECT_EQ(Animate::flags(S{}, 3), Animate::AW_HOR_NEGATIVE);
  EXPECT_EQ(Animate::flags(S{1, 1, 1, 1, 1}, 4), std::nullopt);
  EXPECT_EQ(Animate::flags(S{}, -1), std::nullopt);
}

TEST(AnimateTest, OnlyASwitchOfExactlyOneCounts) {
  EXPECT_EQ(Animate::flags(S{1, 1, 1, 1, 1}, 2), Animate::AW_ACTIVATE | Animate::AW_CENTER |
                                                     Animate::AW_HIDE | Animate::AW_SLIDE |
                                                     Animate::AW_BLEND | Animate::AW_HOR_POSITIVE);
  EXPECT_EQ(Animate::flags(S{-1, 2, -1, 0, 2}, 0), Animate::AW_VER_POSITIVE);
  EXPECT_EQ(Animate::flags(S{0, 0, 1, 0, 0}, 3), Animate::AW_HIDE | Animate::AW_HOR_NEGATIVE);
}

TEST(AnimateTest, PlayWithoutDurationShowsAndHidesAtOnce) {
  QWidget window;
  window.resize(200, 100);
  EXPECT_FALSE(Animate::Play(&window, 0, 0, 0, 0, 0, 0, 9));  // unknown direction
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(Animate::Play(&window, 0, 1, 0, 0, 0, 0, 0));
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(Animate::Play(&window, 0, 0, 0, 0, 0, 0, 0));  // already shown
  EXPECT_TRUE(Animate::Play(&window, 0, 0, 0, 1, 0, 1, 1));
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.windowOpacity(), 1.0);
  EXPECT_TRUE(window.mask().isEmpty());
}

TEST(AnimateTest, RollUncoversFromTheChosenEdgeAndEndsUnmasked) {
  QWidget window;
  window.resize(200, 100);
  ASSERT_TRUE(Animate::Play(&window, 400, 0, 0, 0, 0, 0, 1));  // bottom to top
  auto* reveal = window.findChild<WidgetReveal*>(QStringLiteral("Animate"));
  ASSERT_NE(reveal, nullptr);
  EXPECT_TRUE(window.isVisible());
  reveal->setCurrentTime(200);
  EXPECT_EQ(window.mask().boundingRect(), QRect(0, 50, 200, 50));
  reveal->setCurrentTime(400);
  EXPECT_TRUE(window.mask().isEmpty());

  ASSERT_TRUE(Animate::Play(&window, 400, 0, 1, 1, 0, 0, 0));  // collapse to the centre
  reveal = window.findChild<WidgetReveal*>(QStringLiteral("Animate"));
  ASSERT_NE(reveal, nullptr);
  reveal->setCurrentTime(200);
  EXPECT_EQ(window.mask().boundingRect(), QRect(50, 25, 100, 50));
  // A new animation finishes the running one first, so the window can be shown again.
  EXPECT_TRUE(Animate::Play(&window, 0, 0, 0, 0, 0, 0, 2));
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(window.mask().isEmpty());
}

}  // namespace
}  // namespace mailvane
