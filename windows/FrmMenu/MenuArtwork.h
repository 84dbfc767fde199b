#pragma once
// The menu's pictures, drawn in code so they stay sharp at any scale: a title banner
// (Picture1) and a weather vane carrying a letter (Picture2).

#include <QPixmap>
#include <QSize>

class QPainter;

namespace mailvane {

class MenuArtwork {
 public:
  static QPixmap banner(QSize size, qreal pixelRatio);
  static QPixmap vane(QSize size, qreal pixelRatio);
  // An envelope whose top-left corner is at the painter's origin.
  static void drawEnvelope(QPainter& painter, QSizeF size, const QColor& paper, const QColor& ink);
};

}  // namespace mailvane
