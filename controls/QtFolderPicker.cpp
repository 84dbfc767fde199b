#include "controls/QtFolderPicker.h"

#include <QFileDialog>
#include <QString>

namespace mailvane::controls {

std::string QtFolderPicker::showFolderDialog(const std::string& startFolder, const std::string& title) {
  const QString chosen = QFileDialog::getExistingDirectory(
      owner_, QString::fromStdString(title), QString::fromStdString(startFolder),
      QFileDialog::ShowDirsOnly);
  return chosen.toStdString();
}

}  // namespace mailvane::controls
