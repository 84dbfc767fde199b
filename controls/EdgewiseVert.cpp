#include "controls/EdgewiseVert.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace mailvane {
namespace {

constexpr int scaleWidth = 44;
constexpr int scaleHeight = 121;
constexpr int pointerWindowRight = 19;  // the pointer runs from x 1 to x 18

void drawTicks(QPainter& painter) {
  painter.setPen(QPen(QColor(40, 40, 40), 1));
  for (int percent = 0; percent <= 100; percent += 5) {
    const int y = EdgewiseVert::zeroMarkY - percent;
    const int length = percent % 50 == 0 ? 7 : (percent % 10 == 0 ? 5 : 3);
    painter.drawLine(pointerWindowRight + 1, y, pointerWindowRight + length, y);
  }
  QFont small = painter.font();
  small.setPixelSize(8);
  painter.setFont(small);
  for (int percent : {0, 50, 100}) {
    const int y = EdgewiseVert::zeroMarkY - percent;
    painter.drawText(QRect(pointerWindowRight + 8, y - 5, scaleWidth - pointerWindowRight - 8, 10),
                     Qt::AlignLeft | Qt::AlignVCenter, QString::number(percent));
  }
}

}  // namespace

EdgewiseVert::EdgewiseVert(QWidget* parent) : QWidget(parent) {
  setFixedSize(scalePicture().deviceIndependentSize().toSize());
}

void EdgewiseVert::setValue(double value) {
  if (std::isnan(value)) value = 0;
  value_ = std::clamp(value, 0.0, max_);
  update();
}

void EdgewiseVert::setMax(double max) {
  if (std::isnan(max) || max < minimumMax) max = minimumMax;
  max_ = max;
  if (value_ > max_) value_ = max_;
  update();
}

int EdgewiseVert::percent() const {
  // nearbyint rounds halves to the even neighbour in the default rounding mode; the
  // clamp keeps an infinite Max (0/inf or inf/inf) from moving the pointer off the scale.
  const double p = std::nearbyint(value_ / max_ * 100);
  if (!std::isfinite(p)) return 0;
  return static_cast<int>(std::clamp(p, 0.0, 100.0));
}

QPixmap EdgewiseVert::scalePicture() {
  QPixmap picture(scaleWidth, scaleHeight);
  picture.fill(QColor(236, 233, 216));
  QPainter painter(&picture);
  // The pointer's window: a lighter panel with a sunken edge.
  painter.fillRect(QRect(0, 0, pointerWindowRight + 1, scaleHeight), QColor(250, 248, 236));
  painter.setPen(QColor(150, 150, 140));
  painter.drawRect(QRect(0, 0, scaleWidth - 1, scaleHeight - 1));
  drawTicks(painter);
  return picture;
}

void EdgewiseVert::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, scalePicture());
  const int y = pointerY();
  painter.setPen(QPen(Qt::black, 2));
  painter.drawLine(1, y, 18, y);
  painter.setPen(QPen(Qt::black, 1));
  painter.drawLine(1, 60, 1, y);
}

}  // namespace mailvane
