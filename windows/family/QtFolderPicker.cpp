#include "windows/family/QtFolderPicker.h"

#include <QFileDialog>

namespace mailvane {

std::string QtFolderPicker::showFolderDialog(const std::string& startFolder,
                                             const std::string& title) {
  return QFileDialog::getExistingDirectory(parent_, QString::fromStdString(title),
                                           QString::fromStdString(startFolder))
      .toStdString();
}

}  // namespace mailvane
