#include "controls/clsTooltips.h"

#include <QEvent>
#include <QHelpEvent>
#include <QWidget>

namespace mailvane {

clsTooltips::clsTooltips(QObject* parent) : QObject(parent) {}

clsTooltips::~clsTooltips() {
  Remove();
  watch(nullptr);
}

void clsTooltips::CreateBalloon(QWidget* control, const QString& text, const QString& title,
                                int icon) {
  style_ = styleBalloon;
  watch(control);
  tipText_ = text;
  title_ = title;
  icon_ = icon;
  create();
  setActive(true);
}

void clsTooltips::CreateTip(QWidget* control, const QString& text, const QString& title, int icon) {
  style_ = styleStandard;
  watch(control);
  tipText_ = text;
  title_ = title;
  // A standard tip has no information icon; only warning and error survive.
  icon_ = (icon == iconWarning || icon == iconError) ? icon : iconNone;
  create();
  setActive(true);
}

void clsTooltips::Remove() {
  hideTip();
  delete popup_.data();
}

void clsTooltips::setActive(bool value) {
  active_ = value;
  if (!active_) hideTip();
}

void clsTooltips::setParentControl(QWidget* control) {
  watch(control);
  recreate();
}

void clsTooltips::setIcon(int value) {
  icon_ = value;
  recreate();
}

void clsTooltips::setForeColor(const QColor& value) {
  foreColor_ = value;
  recreate();
}

void clsTooltips::setTitle(const QString& value) {
  title_ = value;
  recreate();
}

void clsTooltips::setBackColor(const QColor& value) {
  backColor_ = value;
  recreate();
}

void clsTooltips::setTipText(const QString& value) {
  tipText_ = value;
  recreate();
}

void clsTooltips::watch(QWidget* control) {
  if (control_ == control) return;
  if (control_) control_->removeEventFilter(this);
  control_ = control;
  if (!control_) return;
  control_->installEventFilter(this);
  // Tips show whether or not the control's window is the active one.
  control_->window()->setAttribute(Qt::WA_AlwaysShowToolTips);
}

void clsTooltips::recreate() {
  const bool wasActive = active_;
  create();
  setActive(wasActive);
}

void clsTooltips::create() {
  Remove();
  if (!control_) return;
  BalloonPopup::Look look;
  look.balloon = style_ == styleBalloon;
  look.icon = icon_;
  look.title = title_;
  look.text = tipText_;
  look.foreColor = foreColor_;
  look.backColor = backColor_;
  // The popup is a child of the control, so it goes away with the control.
  popup_ = new BalloonPopup(control_, look);
}

bool clsTooltips::showTip() {
  if (!control_) return false;
  return popUp(control_->mapToGlobal(QPoint(control_->width() / 2, control_->height())));
}

void clsTooltips::hideTip() {
  if (popup_) popup_->hide();
}

bool clsTooltips::popUp(const QPoint& cursor) {
  if (!active_ || !popup_ || !control_) return false;
  const QPoint anchor =
      centered_ ? control_->mapToGlobal(QPoint(control_->width() / 2, control_->height())) : cursor;
  popup_->popUpAt(anchor, centered_);
  return true;
}

bool clsTooltips::eventFilter(QObject* watched, QEvent* event) {
  if (watched != control_) return false;
  switch (event->type()) {
    case QEvent::ToolTip:
      // Consumed only when the balloon shows, so an inactive tip leaves Qt's own tooltip.
      return popUp(static_cast<QHelpEvent*>(event)->globalPos());
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::Hide:
    case QEvent::WindowDeactivate:
    case QEvent::FocusOut:
      hideTip();
      break;
    default:
      break;
  }
  return false;
}

}  // namespace mailvane
