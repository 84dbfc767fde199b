#pragma once
// The folder picker of the desktop program: the platform's folder dialog.

#include "system/BrowseForFolder.h"

class QWidget;

namespace mailvane {

class QtFolderPicker : public system::FolderPicker {
 public:
  explicit QtFolderPicker(QWidget* parent = nullptr) : parent_(parent) {}

 protected:
  std::string showFolderDialog(const std::string& startFolder, const std::string& title) override;

 private:
  QWidget* parent_;
};

}  // namespace mailvane
