#pragma once
// The folder window, "Extract from Folders": the user walks to a folder of message files
// with a drive list and a folder tree; the window lists the messages by subject and
// offers the family's views and extraction.

#include <memory>

#include "windows/family/MessageWindow.h"

namespace mailvane {

class FolderBrowser;

class FrmLive : public MessageWindow {
  Q_OBJECT

 public:
  // Settings from the user's store (QtSettings) unless given.
  explicit FrmLive(QWidget* parent = nullptr);
  explicit FrmLive(std::unique_ptr<system::Settings> settings, QWidget* parent = nullptr);

  FolderBrowser* folders() const { return browser_; }

 public slots:
  void Dir1_Change();

 protected:
  void LoadList() override;
  void showStoreFolder(const std::filesystem::path& folder) override;

 private:
  void Form_Load();
  void Dir1_MouseDown(const QPoint& at);

  FolderBrowser* browser_;
};

}  // namespace mailvane
