#pragma once
// An edgewise (vertical) meter: a fixed scale with a pointer line across it. The pointer
// stands at y = 110 - p, where p is value / Max as a whole percentage, so 0 % is at the
// bottom mark (y 110) and 100 % at the top mark (y 10).

#include <QPixmap>
#include <QWidget>

namespace mailvane {

class EdgewiseVert : public QWidget {
  Q_OBJECT
  Q_PROPERTY(double value READ value WRITE setValue)
  Q_PROPERTY(double Max READ Max WRITE setMax)

 public:
  static constexpr double minimumMax = 2;
  static constexpr int zeroMarkY = 110;

  explicit EdgewiseVert(QWidget* parent = nullptr);

  double value() const { return value_; }
  // Kept within 0..Max; a value that is not a number counts as 0.
  void setValue(double value);
  double Max() const { return max_; }
  // At least 2; a Max below the current value pulls the value down to it.
  void setMax(double max);

  // value / Max x 100 rounded to the nearest whole number, halves to even; 0..100.
  int percent() const;
  // Vertical pixel position of the pointer line.
  int pointerY() const { return zeroMarkY - percent(); }

  // The scale artwork; the control always has its size.
  static QPixmap scalePicture();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  double value_ = 0;
  double max_ = 100;
};

}  // namespace mailvane
