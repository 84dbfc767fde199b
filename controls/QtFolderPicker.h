#pragma once
// The folder picker of the desktop program: Qt's folder dialog behind FolderPicker.

#include "system/BrowseForFolder.h"

#include <string>

class QWidget;

namespace mailvane::controls {

class QtFolderPicker : public system::FolderPicker {
 public:
  explicit QtFolderPicker(QWidget* owner = nullptr) : owner_(owner) {}

 protected:
  std::string showFolderDialog(const std::string& startFolder, const std::string& title) override;

 private:
  QWidget* owner_;
};

}  // namespace mailvane::controls
