#include "controls/WidgetReveal.h"

#include <QGraphicsOpacityEffect>
#include <QWidget>

#include "controls/Animate.h"

namespace mailvane {

WidgetReveal::WidgetReveal(QWidget* widget, quint32 flags, int duration)
    : QVariantAnimation(widget), widget_(widget), flags_(flags), hiding_(flags & Animate::AW_HIDE) {
  setObjectName(QStringLiteral("Animate"));
  setDuration(duration);
  setStartValue(hiding_ ? 1.0 : 0.0);
  setEndValue(hiding_ ? 0.0 : 1.0);
  connect(this, &QVariantAnimation::valueChanged, this,
          [this](const QVariant& shown) { step(shown.toDouble()); });
  connect(this, &QAbstractAnimation::finished, this, &WidgetReveal::finish);
  if (!hiding_) {
    step(0.0);
    widget_->show();
    if (flags_ & Animate::AW_ACTIVATE) {
      widget_->raise();
      widget_->activateWindow();
    }
  }
}

void WidgetReveal::finishNow() {
  stop();
  finish();
  deleteLater();
}

QRect WidgetReveal::uncovered(double shown) const {
  const QRect all = widget_->rect();
  const int w = qMax(1, qRound(all.width() * shown));
  const int h = qMax(1, qRound(all.height() * shown));
  if (flags_ & Animate::AW_CENTER) {
    QRect box(0, 0, w, h);
    box.moveCenter(all.center());
    return box;
  }
  if (flags_ & Animate::AW_VER_POSITIVE) return QRect(0, 0, all.width(), h);
  if (flags_ & Animate::AW_VER_NEGATIVE) return QRect(0, all.height() - h, all.width(), h);
  if (flags_ & Animate::AW_HOR_POSITIVE) return QRect(0, 0, w, all.height());
  return QRect(all.width() - w, 0, w, all.height());
}

void WidgetReveal::step(double shown) {
  if (flags_ & Animate::AW_BLEND) {
    // Top-level windows fade through the window system; panels through an effect.
    if (widget_->isWindow()) {
      widget_->setWindowOpacity(shown);
    } else {
      auto* effect = qobject_cast<QGraphicsOpacityEffect*>(widget_->graphicsEffect());
      if (!effect) {
        effect = new QGraphicsOpacityEffect(widget_);
        widget_->setGraphicsEffect(effect);
      }
      effect->setOpacity(shown);
    }
    return;
  }
  widget_->setMask(uncovered(shown));
}

void WidgetReveal::finish() {
  if (objectName().isEmpty()) return;  // already finished
  setObjectName(QString());
  if (hiding_) widget_->hide();
  widget_->clearMask();
  if (flags_ & Animate::AW_BLEND) {
    if (widget_->isWindow())
      widget_->setWindowOpacity(1.0);
    else
      widget_->setGraphicsEffect(nullptr);
  }
}

}  // namespace mailvane
