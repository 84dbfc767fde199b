#pragma once
// The folder side of the folder window: a list of the mounted drives, a tree of the
// folders on the chosen drive, and the (hidden) list of message files in the chosen
// folder, sorted by name.

#include <QStringList>
#include <QWidget>

class QComboBox;
class QFileSystemModel;
class QListWidget;
class QTreeView;

namespace mailvane {

class FolderBrowser : public QWidget {
  Q_OBJECT

 public:
  explicit FolderBrowser(QWidget* parent = nullptr);

  // The folder shown in Dir1 (absolute, without a trailing "/" except for "/").
  QString path() const { return path_; }
  // Shows folder: Drive1 takes the drive that holds it and Dir1 selects it. Emits
  // pathChanged when the folder differs from the one shown; false when it is no folder.
  bool setPath(const QString& folder);
  // The message files of the folder shown, as File1 lists them.
  QStringList files() const;
  // Reads the folder's message files into File1 again.
  void refreshFiles();

  QComboBox* Drive1;
  QTreeView* Dir1;
  QListWidget* File1;

 signals:
  void pathChanged(const QString& folder);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private slots:
  void Drive1_Change(int index);

 private:
  void fillDrives();
  void showDriveOf(const QString& folder);
  void treeCurrentChanged();

  QFileSystemModel* model_;
  QString path_;
};

}  // namespace mailvane
