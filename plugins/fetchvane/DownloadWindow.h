#pragma once
// The plug-in's own downloads window: one row per download, and buttons to cancel, retry,
// open the target folder and clear the rows that have ended.

#include <QWidget>

#include "plugins/fetchvane/DownloadModel.h"

class QLabel;
class QPushButton;
class QTableView;

namespace mailvane::fetchvane {

class DownloadQueue;

class DownloadWindow : public QWidget {
  Q_OBJECT

 public:
  explicit DownloadWindow(DownloadQueue& queue, QWidget* parent = nullptr);

 private:
  void buildTable();
  QWidget* buildButtonRow();
  QList<int> selectedRows() const;
  void cancelSelected();
  void retrySelected();
  void openFolder();
  void clearEnded();
  void updateButtons();
  void updateSummary();

  DownloadQueue& queue_;
  DownloadModel model_;
  QTableView* table_ = nullptr;
  QLabel* summary_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* retryButton_ = nullptr;
  QPushButton* openFolderButton_ = nullptr;
  QPushButton* clearButton_ = nullptr;
};

}  // namespace mailvane::fetchvane
