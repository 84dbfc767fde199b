#include "plugins/fetchvane/DownloadModel.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>

#include "plugins/fetchvane/ByteText.h"
#include "plugins/fetchvane/DownloadQueue.h"

namespace mailvane::fetchvane {

DownloadModel::DownloadModel(DownloadQueue& queue, QObject* parent)
    : QAbstractTableModel(parent), queue_(queue) {
  connect(&queue_, &DownloadQueue::aboutToInsert, this,
          [this](int row) { beginInsertRows({}, row, row); });
  connect(&queue_, &DownloadQueue::inserted, this, [this] { endInsertRows(); });
  connect(&queue_, &DownloadQueue::aboutToRemove, this,
          [this](int row) { beginRemoveRows({}, row, row); });
  connect(&queue_, &DownloadQueue::removed, this, [this] { endRemoveRows(); });
  connect(&queue_, &DownloadQueue::changed, this, [this](int row) {
    if (row >= 0) emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
  });
}

int DownloadModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : queue_.count();
}

int DownloadModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant DownloadModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  const Download& download = queue_.at(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return display(download, index.column());
    case Qt::ToolTipRole:
      return toolTip(download, index.column());
    case ProgressRole:
      return index.column() == ProgressColumn ? progress(download) : QVariant();
    case Qt::TextAlignmentRole:
      if (index.column() == SizeColumn || index.column() == SpeedColumn) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      }
      return {};
    case Qt::ForegroundRole:
      if (index.column() == StateColumn && download.state() == Download::State::Failed) {
        return QColor(0xb0, 0x1c, 0x1c);
      }
      return {};
    default:
      return {};
  }
}

QVariant DownloadModel::display(const Download& download, int column) const {
  switch (column) {
    case LinkColumn:
      return linkText(download);
    case FileColumn:
      return QFileInfo(download.targetFile()).fileName();
    case SizeColumn:
      return sizeText(download);
    case ProgressColumn: {
      const QVariant value = progress(download);
      return value.isValid() && value.toInt() >= 0 ? QStringLiteral("%1%").arg(value.toInt()) : QString();
    }
    case SpeedColumn:
      return download.state() == Download::State::Running ? speedText(download.bytesPerSecond())
                                                            : QString();
    case StateColumn:
      return stateText(download);
    default:
      return {};
  }
}

QString DownloadModel::linkText(const Download& download) {
  // Decoded, as people type and read links; the raw text when it is no link at all.
  return download.url().isValid() && !download.url().isEmpty() ? download.url().toDisplayString()
                                                                : download.link().trimmed();
}

QVariant DownloadModel::toolTip(const Download& download, int column) const {
  switch (column) {
    case LinkColumn:
      return linkText(download);
    case FileColumn:
      return QDir::toNativeSeparators(download.targetFile());
    case StateColumn:
      return stateText(download);
    default:
      return {};
  }
}

QVariant DownloadModel::progress(const Download& download) {
  switch (download.state()) {
    case Download::State::Queued:
      return 0;
    case Download::State::Finished:
      return 100;
    case Download::State::Running:
      if (download.total() < 0) return -1;
      if (download.total() == 0) return 100;
      return static_cast<int>(download.received() * 100 / download.total());
    default:
      return {};
  }
}

QString DownloadModel::sizeText(const Download& download) {
  switch (download.state()) {
    case Download::State::Running:
      return download.total() >= 0
                 ? tr("%1 of %2").arg(bytesText(download.received()), bytesText(download.total()))
                 : bytesText(download.received());
    case Download::State::Finished:
      return bytesText(download.total());
    default:
      return QString();
  }
}

QString DownloadModel::stateText(const Download& download) {
  switch (download.state()) {
    case Download::State::Queued:
      return tr("Waiting");
    case Download::State::Running:
      return tr("Downloading");
    case Download::State::Finished:
      return download.reason().isEmpty() ? tr("Done") : download.reason();
    case Download::State::Cancelled:
      return tr("Cancelled");
    case Download::State::Failed:
      return download.isRefused() ? download.reason() : tr("Failed: %1").arg(download.reason());
  }
  return QString();
}

QVariant DownloadModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::TextAlignmentRole) {
    const bool figures = section == SizeColumn || section == SpeedColumn;
    return QVariant::fromValue((figures ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
  }
  if (role != Qt::DisplayRole) return {};
  switch (section) {
    case LinkColumn: return tr("Link");
    case FileColumn: return tr("File");
    case SizeColumn: return tr("Size");
    case ProgressColumn: return tr("Progress");
    case SpeedColumn: return tr("Speed");
    case StateColumn: return tr("State");
    default: return {};
  }
}

}  // namespace mailvane::fetchvane
