#pragma once
// One tip attached to one control, usually a balloon with a title and an icon. The tip
// covers the whole control: hovering anywhere over it shows the tip. Changing the icon,
// title, colours, text or control re-creates the tip window with its Active state kept;
// Style and Centered are only stored and take effect at the next creation.

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>

#include "controls/BalloonPopup.h"

class QWidget;

namespace mailvane {

class clsTooltips : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool Active READ Active WRITE setActive)
  Q_PROPERTY(QWidget* ParentControl READ ParentControl WRITE setParentControl)
  Q_PROPERTY(int Style READ Style WRITE setStyle)
  Q_PROPERTY(bool Centered READ Centered WRITE setCentered)
  Q_PROPERTY(int Icon READ Icon WRITE setIcon)
  Q_PROPERTY(QColor ForeColor READ ForeColor WRITE setForeColor)
  Q_PROPERTY(QString Title READ Title WRITE setTitle)
  Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor)
  Q_PROPERTY(QString TipText READ TipText WRITE setTipText)

 public:
  enum { styleStandard = 0, styleBalloon = 1 };
  enum { iconNone = 0, iconInfo = 1, iconWarning = 2, iconError = 3 };

  explicit clsTooltips(QObject* parent = nullptr);
  ~clsTooltips() override;

  // A balloon (Style 1) on `control`, made active.
  void CreateBalloon(QWidget* control, const QString& text, const QString& title = {},
                     int icon = iconNone);
  // A standard tip (Style 0); it shows only the warning and error icons.
  void CreateTip(QWidget* control, const QString& text, const QString& title = {},
                 int icon = iconNone);
  // Destroys the tip window; the properties stay.
  void Remove();

  bool Active() const { return active_; }
  void setActive(bool value);
  QWidget* ParentControl() const { return control_; }
  void setParentControl(QWidget* control);
  int Style() const { return style_; }
  void setStyle(int value) { style_ = value; }
  bool Centered() const { return centered_; }
  void setCentered(bool value) { centered_ = value; }
  int Icon() const { return icon_; }
  void setIcon(int value);
  // Invalid colours (the default) keep the palette's tip colours.
  QColor ForeColor() const { return foreColor_; }
  void setForeColor(const QColor& value);
  QString Title() const { return title_; }
  void setTitle(const QString& value);
  QColor BackColor() const { return backColor_; }
  void setBackColor(const QColor& value);
  QString TipText() const { return tipText_; }
  void setTipText(const QString& value);

  // The tip window, or null when none exists (no control, or removed).
  BalloonPopup* hwnd() const { return popup_; }

  // Shows the tip now, as a hover over the control does; false when inactive or no window.
  bool showTip();
  void hideTip();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void create();
  void recreate();
  bool popUp(const QPoint& cursor);
  void watch(QWidget* control);

  QPointer<QWidget> control_;
  QPointer<BalloonPopup> popup_;
  bool active_ = false;
  int style_ = styleStandard;
  bool centered_ = false;
  int icon_ = iconNone;
  QColor foreColor_;
  QColor backColor_;
  QString title_;
  QString tipText_;
};

}  // namespace mailvane
