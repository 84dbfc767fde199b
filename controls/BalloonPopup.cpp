#include "controls/BalloonPopup.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace mailvane {
namespace {

constexpr int stemHeight = 12;
constexpr int stemHalfWidth = 8;
constexpr int cornerRadius = 6;
constexpr int titleIconSize = 16;

QStyle::StandardPixmap iconPixmapFor(int icon) {
  switch (icon) {
    case 2:
      return QStyle::SP_MessageBoxWarning;
    case 3:
      return QStyle::SP_MessageBoxCritical;
    default:
      return QStyle::SP_MessageBoxInformation;
  }
}

}  // namespace

BalloonPopup::BalloonPopup(QWidget* control, const Look& look)
    : QWidget(control, Qt::ToolTip | Qt::FramelessWindowHint), look_(look) {
  setObjectName(QStringLiteral("balloon"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  buildContents();
  applyColours();
  placeStem(true);
}

void BalloonPopup::buildContents() {
  iconLabel_ = new QLabel(this);
  iconLabel_->setObjectName(QStringLiteral("balloonIcon"));
  titleLabel_ = new QLabel(look_.title, this);
  titleLabel_->setObjectName(QStringLiteral("balloonTitle"));
  textLabel_ = new QLabel(look_.text, this);
  textLabel_->setObjectName(QStringLiteral("balloonText"));

  // Tip texts come from messages and settings: never let them turn into markup.
  titleLabel_->setTextFormat(Qt::PlainText);
  textLabel_->setTextFormat(Qt::PlainText);
  textLabel_->setWordWrap(true);

  QFont bold = titleLabel_->font();
  bold.setBold(true);
  titleLabel_->setFont(bold);

  const bool hasTitle = !look_.title.isEmpty();
  const bool hasIcon = hasTitle && look_.icon >= 1 && look_.icon <= 3;
  titleLabel_->setVisible(hasTitle);
  iconLabel_->setVisible(hasIcon);
  if (hasIcon)
    iconLabel_->setPixmap(style()->standardIcon(iconPixmapFor(look_.icon)).pixmap(titleIconSize));

  // A word-wrapping label in a layout picks its own width; size it from the text instead
  // so the wrap happens exactly at the tip's maximum width.
  const QRect textBox =
      QFontMetrics(textLabel_->font())
          .boundingRect(QRect(0, 0, maxTextWidth, 100000), Qt::TextWordWrap, look_.text);
  textLabel_->setFixedSize(textBox.size());

  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(4);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  if (hasTitle) {
    grid->addWidget(iconLabel_, 0, 0);
    grid->addWidget(titleLabel_, 0, hasIcon ? 1 : 0, 1, hasIcon ? 1 : 2);
  }
  grid->addWidget(textLabel_, 1, 0, 1, 2);
  grid->setColumnStretch(1, 1);
}

void BalloonPopup::applyColours() {
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, foreground());
  pal.setColor(QPalette::Window, background());
  setPalette(pal);
}

QColor BalloonPopup::background() const {
  return look_.backColor.isValid() ? look_.backColor : palette().color(QPalette::ToolTipBase);
}

QColor BalloonPopup::foreground() const {
  return look_.foreColor.isValid() ? look_.foreColor : palette().color(QPalette::ToolTipText);
}

void BalloonPopup::placeStem(bool onTop) {
  stemOnTop_ = onTop;
  const int stem = look_.balloon ? stemHeight : 0;
  layout()->setContentsMargins(10, 7 + (onTop ? stem : 0), 10, 7 + (onTop ? 0 : stem));
  layout()->activate();
  adjustSize();
}

void BalloonPopup::popUpAt(const QPoint& anchor, bool centered) {
  placeStem(true);
  const QScreen* screen = QGuiApplication::screenAt(anchor);
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(anchor, size());

  const bool below = anchor.y() + height() <= area.bottom() || anchor.y() - height() < area.top();
  if (!below) placeStem(false);

  const int wanted = centered ? width() / 2 : std::min(24, width() / 2);
  int x = anchor.x() - wanted;
  x = std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - width()));
  const int edge = cornerRadius + stemHalfWidth;
  stemX_ = std::clamp(anchor.x() - x, edge, std::max(edge, width() - edge));
  const int y = below ? anchor.y() : anchor.y() - height();
  move(x, y);
  updateShape();
  show();
  raise();
}

QPainterPath BalloonPopup::outline() const {
  QPainterPath path;
  if (!look_.balloon) {
    path.addRect(QRectF(rect()).adjusted(0, 0, -1, -1));
    return path;
  }
  const QRectF body = QRectF(rect()).adjusted(0, stemOnTop_ ? stemHeight : 0, -1,
                                              stemOnTop_ ? -1 : -1 - stemHeight);
  path.addRoundedRect(body, cornerRadius, cornerRadius);
  QPainterPath stem;
  const qreal baseY = stemOnTop_ ? body.top() + 1 : body.bottom() - 1;
  const qreal tipY = stemOnTop_ ? 0 : height() - 1;
  stem.moveTo(stemX_ - stemHalfWidth, baseY);
  stem.lineTo(stemX_, tipY);
  stem.lineTo(stemX_ + stemHalfWidth / 2.0, baseY);
  stem.closeSubpath();
  return path.united(stem);
}

void BalloonPopup::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  updateShape();
}

void BalloonPopup::updateShape() {
  // Without a compositor a popup cannot be translucent; the mask gives it its shape.
  setMask(QRegion(outline().toFillPolygon().toPolygon()));
  update();
}

void BalloonPopup::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPainterPath path = outline();
  painter.fillPath(path, background());
  QColor border = foreground();
  border.setAlpha(150);
  painter.setPen(QPen(border, 1));
  painter.drawPath(path);
}

}  // namespace mailvane
