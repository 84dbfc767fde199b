#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <limits>
#include <vector>

#include "controls/EdgewiseVert.h"

namespace mailvane {
namespace {

// Rows of column x that are drawn black, i.e. the pointer's pixels in that column.
std::vector<int> blackRows(EdgewiseVert& meter, int x) {
  QImage image(meter.size(), QImage::Format_RGB32);
  image.fill(Qt::white);
  meter.render(&image);
  std::vector<int> rows;
  for (int y = 0; y < image.height(); ++y)
    if (image.pixelColor(x, y) == QColor(Qt::black)) rows.push_back(y);
  return rows;
}

TEST(EdgewiseVertTest, StartsEmptyOutOfAHundredAndClampsValueAndMax) {
  EdgewiseVert meter;
  EXPECT_EQ(meter.value(), 0);
  EXPECT_EQ(meter.Max(), 100);
  EXPECT_EQ(meter.size(), EdgewiseVert::scalePicture().size());
  EXPECT_GE(meter.height(), EdgewiseVert::zeroMarkY + 2);

  meter.setValue(150);
  EXPECT_EQ(meter.value(), 100);
  meter.setValue(-3);
  EXPECT_EQ(meter.value(), 0);
  meter.setMax(1);
  EXPECT_EQ(meter.Max(), 2);

  meter.setMax(100);
  meter.setValue(80);
  meter.setMax(40);  // Max below the value pulls the value down
  EXPECT_EQ(meter.value(), 40);
  EXPECT_EQ(meter.percent(), 100);

  meter.setValue(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(meter.value(), 0);
  meter.setMax(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(meter.Max(), 2);
  meter.setMax(std::numeric_limits<double>::infinity());
  meter.setValue(std::numeric_limits<double>::infinity());
  EXPECT_GE(meter.pointerY(), EdgewiseVert::zeroMarkY - 100);
  EXPECT_LE(meter.pointerY(), EdgewiseVert::zeroMarkY);

  // Percentages round halves to even: 0.5 %, 1.5 % and 2.5 % of 200.
  meter.setMax(200);
  const std::pair<int, int> halves[] = {{1, 0}, {3, 2}, {5, 2}};
  for (const auto& [value, percent] : halves) {
    meter.setValue(value);
    EXPECT_EQ(meter.percent(), percent) << value;
  }
}

TEST(EdgewiseVertTest, PointerIsDrawnAtOneHundredTenMinusThePercentage) {
  EdgewiseVert meter;
  struct Case {
    double value;
    int y;
  };
  for (const Case& c : {Case{50, 60}, Case{0, 110}, Case{100, 10}, Case{25, 85}}) {
    meter.setValue(c.value);
    // The two-pixel pointer covers the row above its line too.
    EXPECT_EQ(blackRows(meter, 10), (std::vector<int>{c.y - 1, c.y})) << "value " << c.value;
  }

  // The thin stem joins the pointer to the meter's middle (y 60) at x 1.
  meter.setValue(90);
  const std::vector<int> stem = blackRows(meter, 1);
  ASSERT_FALSE(stem.empty());
  EXPECT_EQ(stem.front(), 19);
  EXPECT_EQ(stem.back(), 60);
  EXPECT_EQ(static_cast<int>(stem.size()), 60 - 19 + 1);
}

}  // namespace
}  // namespace mailvane
