#pragma once
// The folders the index covers, as a part of the search window's settings panel: the
// list of folders, one to add through the folder dialog, the selected ones to remove.
// Each change is stored at once under the setting the index reads its roots from; while
// the setting names no folder the list shows the default folders the index then covers.

#include <QStringList>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace mailvane {
namespace system {
class FolderPicker;
class Settings;
}  // namespace system

class IndexFolders : public QWidget {
  Q_OBJECT

 public:
  IndexFolders(system::Settings& settings, QWidget* parent);
  ~IndexFolders() override;

  // Replaces the folder dialog (tests answer it themselves).
  void setFolderPicker(std::unique_ptr<system::FolderPicker> picker);
  // The folders the index covers now.
  std::vector<std::filesystem::path> roots() const;

  QLabel* indexFoldersLabel;
  QListWidget* indexFolders;
  QPushButton* addIndexFolder;
  QPushButton* removeIndexFolder;

 signals:
  // The folders changed and are stored; removed names the folders taken out.
  void changed(const QStringList& removed);

 public slots:
  void addFolder();
  void removeSelected();

 private:
  void showRoots();
  void store(const std::vector<std::filesystem::path>& roots, const QStringList& removed);

  system::Settings& settings_;
  std::unique_ptr<system::FolderPicker> picker_;
};

}  // namespace mailvane
