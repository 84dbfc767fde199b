#pragma once
// The downloads of a queue as table rows: link, target file, size, progress, speed, state.

#include <QAbstractTableModel>

namespace mailvane::fetchvane {

class Download;
class DownloadQueue;

class DownloadModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { LinkColumn, FileColumn, SizeColumn, ProgressColumn, SpeedColumn, StateColumn, ColumnCount };
  // Percent done (0-100), -1 while running with an unknown length, no value when no bar
  // belongs in the row.
  static constexpr int ProgressRole = Qt::UserRole + 1;

  explicit DownloadModel(DownloadQueue& queue, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  static QString stateText(const Download& download);

 private:
  QVariant display(const Download& download, int column) const;
  QVariant toolTip(const Download& download, int column) const;
  static QVariant progress(const Download& download);
  static QString sizeText(const Download& download);
  static QString linkText(const Download& download);

  DownloadQueue& queue_;
};

}  // namespace mailvane::fetchvane
