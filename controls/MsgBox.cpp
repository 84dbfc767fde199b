#include "controls/MsgBox.h"

#include <QGuiApplication>
#include <QQueue>

namespace mailvane {
namespace {

QQueue<QMessageBox::StandardButton>& pendingAnswers() {
  static QQueue<QMessageBox::StandardButton> answers;
  return answers;
}

QList<MsgBox::Shown>& answeredBoxes() {
  static QList<MsgBox::Shown> boxes;
  return boxes;
}

}  // namespace

QMessageBox::StandardButton MsgBox::show(QWidget* parent, const QString& text,
                                         QMessageBox::Icon icon,
                                         QMessageBox::StandardButtons buttons,
                                         const QString& title) {
  const QString caption = title.isEmpty() ? QGuiApplication::applicationDisplayName() : title;
  if (!pendingAnswers().isEmpty()) {
    answeredBoxes().append(Shown{text, caption, icon, buttons});
    return pendingAnswers().dequeue();
  }
  QMessageBox box(icon, caption, text, buttons, parent);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MsgBox::answerNextWith(QMessageBox::StandardButton answer) {
  pendingAnswers().enqueue(answer);
}

QList<MsgBox::Shown> MsgBox::answered() {
  return answeredBoxes();
}

void MsgBox::clearAnswered() {
  answeredBoxes().clear();
  pendingAnswers().clear();
}

}  // namespace mailvane
