#pragma once
// A label that reports a click, for captions that act as small toggles ("+", "Settings :").

#include <QLabel>

namespace mailvane {

class ClickLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ClickLabel(const QString& text, QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace mailvane
