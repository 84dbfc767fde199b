#pragma once
// The running part of an animation started by Animate: for each step it fades the widget
// or uncovers it from an edge or from its centre, and at the end leaves it plainly shown
// or hidden. It is a child of the widget, named "Animate", so a second animation of the
// same widget can finish the first one.

#include <QVariantAnimation>

class QWidget;

namespace mailvane {

class WidgetReveal : public QVariantAnimation {
  Q_OBJECT

 public:
  WidgetReveal(QWidget* widget, quint32 flags, int duration);

  // Jumps to the end state at once.
  void finishNow();

 private:
  void step(double shown);
  void finish();
  QRect uncovered(double shown) const;

  QWidget* widget_;
  quint32 flags_;
  bool hiding_;
};

}  // namespace mailvane
