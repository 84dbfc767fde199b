#pragma once
// Every message box of the program goes through MsgBox, so that a test can answer the
// next boxes without a human and read what the program would have said.

#include <QList>
#include <QMessageBox>
#include <QString>

class QWidget;

namespace mailvane {

class MsgBox {
 public:
  struct Shown {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
  };

  // Shows a modal box and returns the button pressed. An empty title means the
  // program's own title (the application's display name).
  static QMessageBox::StandardButton show(QWidget* parent, const QString& text,
                                          QMessageBox::Icon icon = QMessageBox::NoIcon,
                                          QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                          const QString& title = {});

  // Test hook: the next box is not shown but answered with `answer`. Answers queue up,
  // one per box, first in first out.
  static void answerNextWith(QMessageBox::StandardButton answer);
  // Boxes answered from the queue since the last clearAnswered(), oldest first.
  static QList<Shown> answered();
  static void clearAnswered();
};

}  // namespace mailvane
