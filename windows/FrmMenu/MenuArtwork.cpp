#include "windows/FrmMenu/MenuArtwork.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace mailvane {
namespace {

const QColor deepBlue(24, 62, 104);
const QColor midBlue(46, 108, 168);
const QColor paleBlue(226, 236, 246);

QPixmap canvas(QSize size, qreal pixelRatio) {
  QPixmap pixmap(size * pixelRatio);
  pixmap.setDevicePixelRatio(pixelRatio);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

void drawArrow(QPainter& painter, qreal y, qreal left, qreal right) {
  QPainterPath head;
  head.moveTo(right, y);
  head.lineTo(right - 18, y - 9);
  head.lineTo(right - 18, y + 9);
  head.closeSubpath();
  painter.setPen(QPen(deepBlue, 3, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(left, y), QPointF(right - 16, y));
  painter.fillPath(head, deepBlue);
}

void drawCompass(QPainter& painter, QPointF centre, qreal reach) {
  painter.setPen(QPen(deepBlue, 2));
  painter.drawLine(QPointF(centre.x() - reach, centre.y()),
                   QPointF(centre.x() + reach, centre.y()));
  QFont font = QGuiApplication::font();
  font.setBold(true);
  font.setPixelSize(12);
  painter.setFont(font);
  painter.drawText(QRectF(centre.x() - reach - 14, centre.y() - 8, 12, 16), Qt::AlignCenter,
                   QStringLiteral("W"));
  painter.drawText(QRectF(centre.x() + reach + 2, centre.y() - 8, 12, 16), Qt::AlignCenter,
                   QStringLiteral("E"));
}

}  // namespace

void MenuArtwork::drawEnvelope(QPainter& painter, QSizeF size, const QColor& paper,
                               const QColor& ink) {
  const QRectF body(QPointF(0, 0), size);
  painter.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(paper);
  painter.drawRoundedRect(body, 2, 2);
  QPainterPath flap;
  flap.moveTo(body.topLeft());
  flap.lineTo(body.center().x(), body.top() + body.height() * 0.58);
  flap.lineTo(body.topRight());
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(flap);
}

QPixmap MenuArtwork::banner(QSize size, qreal pixelRatio) {
  QPixmap pixmap = canvas(size, pixelRatio);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, size.width(), size.height());
  sky.setColorAt(0, deepBlue);
  sky.setColorAt(1, midBlue);
  painter.fillRect(QRect(QPoint(0, 0), size), sky);

  painter.save();
  painter.translate(18, (size.height() - 30) / 2.0);
  drawEnvelope(painter, QSizeF(44, 30), QColor(250, 250, 245), deepBlue);
  painter.restore();

  QFont title = QGuiApplication::font();
  title.setBold(true);
  title.setPixelSize(24);
  painter.setFont(title);
  painter.setPen(Qt::white);
  const QRectF text(78, 10, size.width() - 90, size.height() - 20);
  painter.drawText(text, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Mailvane"));
  QFont subtitle = QGuiApplication::font();
  subtitle.setPixelSize(12);
  painter.setFont(subtitle);
  painter.setPen(paleBlue);
  painter.drawText(text, Qt::AlignLeft | Qt::AlignBottom,
                   QStringLiteral("Restores stored mail and news messages"));
  return pixmap;
}

QPixmap MenuArtwork::vane(QSize size, qreal pixelRatio) {
  QPixmap pixmap = canvas(size, pixelRatio);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(paleBlue);
  painter.drawRoundedRect(QRectF(0, 0, size.width(), size.height()), 8, 8);

  const qreal mid = size.width() / 2.0;
  const qreal arrowY = 58;
  // Pole and base.
  painter.setPen(QPen(deepBlue, 3, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(mid, 40), QPointF(mid, size.height() - 40));
  painter.setBrush(deepBlue);
  painter.drawEllipse(QPointF(mid, 40), 4, 4);
  painter.drawRoundedRect(QRectF(mid - 22, size.height() - 40, 44, 10), 3, 3);

  drawArrow(painter, arrowY, 14, size.width() - 12);
  painter.save();
  painter.translate(10, arrowY - 30);
  drawEnvelope(painter, QSizeF(30, 20), Qt::white, deepBlue);
  painter.restore();
  drawCompass(painter, QPointF(mid, 110), 26);
  return pixmap;
}

}  // namespace mailvane
