#pragma once
// The window of one tip: a frameless popup with an optional title line (icon and bold
// title) above the text. In balloon style it has rounded corners and a stem that points
// at the spot the tip belongs to; in standard style it is a plain rectangle.

#include <QColor>
#include <QPainterPath>
#include <QString>
#include <QWidget>

class QLabel;

namespace mailvane {

class BalloonPopup : public QWidget {
  Q_OBJECT

 public:
  struct Look {
    bool balloon = true;
    int icon = 0;  // 0 none, 1 information, 2 warning, 3 error
    QString title;
    QString text;
    QColor foreColor;  // invalid: the palette's tip text colour
    QColor backColor;  // invalid: the palette's tip background
  };

  // Longer texts wrap at this width so a tip never spans the screen.
  static constexpr int maxTextWidth = 300;

  BalloonPopup(QWidget* control, const Look& look);

  // Shows the tip with its stem (or, in standard style, its top-left corner) at `anchor`,
  // in global coordinates, below the spot when the screen has room and above it otherwise.
  // `centered` puts the stem in the middle of the balloon instead of near its left end.
  void popUpAt(const QPoint& anchor, bool centered);

  const Look& look() const { return look_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void buildContents();
  void applyColours();
  void placeStem(bool onTop);
  void updateShape();
  QPainterPath outline() const;
  QColor background() const;
  QColor foreground() const;

  Look look_;
  QLabel* iconLabel_ = nullptr;
  QLabel* titleLabel_ = nullptr;
  QLabel* textLabel_ = nullptr;
  int stemX_ = 0;
  bool stemOnTop_ = true;
};

}  // namespace mailvane
