#include "windows/shell/PlaceholderWindow.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace mailvane {

PlaceholderWindow::PlaceholderWindow(const QString& caption, QWidget* parent) : QWidget(parent) {
  setWindowTitle(caption);
  auto* note = new QLabel(tr("This part of Mailvane is not available in this version yet."));
  note->setObjectName(QStringLiteral("lblNote"));
  note->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(note);
  layout->addStretch();
  layout->addWidget(buttons);
  resize(420, 160);
}

WindowRegistry::Factory PlaceholderWindow::factory(const QString& caption) {
  return [caption] { return new PlaceholderWindow(caption); };
}

}  // namespace mailvane
