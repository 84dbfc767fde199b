#include "plugins/fetchvane/DownloadWindow.h"

#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

#include "plugins/fetchvane/DownloadQueue.h"
#include "plugins/fetchvane/ProgressDelegate.h"

namespace mailvane::fetchvane {

DownloadWindow::DownloadWindow(DownloadQueue& queue, QWidget* parent)
    : QWidget(parent, Qt::Window), queue_(queue), model_(queue) {
  setObjectName(QStringLiteral("Downloads"));
  setWindowTitle(tr("Downloads"));
  buildTable();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addWidget(buildButtonRow());
  resize(1060, 340);

  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &DownloadWindow::updateButtons);
  connect(&model_, &QAbstractItemModel::dataChanged, this, [this] {
    updateButtons();
    updateSummary();
  });
  connect(&model_, &QAbstractItemModel::rowsRemoved, this, [this] {
    updateButtons();
    updateSummary();
  });
  connect(&model_, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int, int last) {
    table_->scrollTo(model_.index(last, 0));
    updateSummary();
  });
  updateButtons();
  updateSummary();
}

void DownloadWindow::buildTable() {
  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("downloadTable"));
  table_->setModel(&model_);
  table_->setItemDelegateForColumn(DownloadModel::ProgressColumn, new ProgressDelegate(table_));
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setAlternatingRowColors(true);
  table_->setShowGrid(false);
  table_->setWordWrap(false);
  table_->setTextElideMode(Qt::ElideMiddle);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 10);
  QHeaderView* header = table_->horizontalHeader();
  header->setHighlightSections(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->setStretchLastSection(true);
  // Wide enough for the longest texts these columns show, so figures are never cut.
  const QFontMetrics metrics = table_->fontMetrics();
  const auto widthOf = [&](const char* sample) {
    return metrics.horizontalAdvance(QLatin1String(sample)) + 3 * metrics.averageCharWidth();
  };
  header->resizeSection(DownloadModel::LinkColumn, widthOf("http://www.example.com/sounds/x.mid"));
  header->resizeSection(DownloadModel::FileColumn, widthOf("Morning Birds 2.wav"));
  header->resizeSection(DownloadModel::SizeColumn, widthOf("999.9 MB of 999.9 MB"));
  header->resizeSection(DownloadModel::ProgressColumn, widthOf("Progress 100%"));
  header->resizeSection(DownloadModel::SpeedColumn, widthOf("999.9 KB/s"));
  connect(table_, &QTableView::doubleClicked, this, &DownloadWindow::openFolder);
}

QWidget* DownloadWindow::buildButtonRow() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  summary_ = new QLabel(row);
  summary_->setObjectName(QStringLiteral("summaryLabel"));
  layout->addWidget(summary_, 1);
  const auto addButton = [&](const QString& name, const QString& text, void (DownloadWindow::*slot)()) {
    auto* button = new QPushButton(text, row);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, slot);
    layout->addWidget(button);
    return button;
  };
  openFolderButton_ = addButton(QStringLiteral("openFolderButton"), tr("Open Folder"), &DownloadWindow::openFolder);
  retryButton_ = addButton(QStringLiteral("retryButton"), tr("Retry"), &DownloadWindow::retrySelected);
  cancelButton_ = addButton(QStringLiteral("cancelButton"), tr("Cancel"), &DownloadWindow::cancelSelected);
  clearButton_ = addButton(QStringLiteral("clearButton"), tr("Clear Finished"), &DownloadWindow::clearEnded);
  return row;
}

QList<int> DownloadWindow::selectedRows() const {
  QList<int> rows;
  for (const QModelIndex& index : table_->selectionModel()->selectedRows()) rows.append(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

void DownloadWindow::cancelSelected() {
  for (int row : selectedRows()) queue_.cancel(row);
}

void DownloadWindow::retrySelected() {
  for (int row : selectedRows()) queue_.retry(row);
}

void DownloadWindow::openFolder() {
  const QList<int> rows = selectedRows();
  if (rows.isEmpty()) return;
  const QString folder = queue_.at(rows.first()).folder();
  if (QDir(folder).exists()) QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void DownloadWindow::clearEnded() { queue_.clearEnded(); }

void DownloadWindow::updateButtons() {
  bool anyActive = false;
  bool anyRetryable = false;
  bool anyEnded = false;
  for (int row = 0; row < queue_.count(); ++row) anyEnded = anyEnded || !queue_.at(row).isActive();
  const QList<int> rows = selectedRows();
  for (int row : rows) {
    anyActive = anyActive || queue_.at(row).isActive();
    anyRetryable = anyRetryable || queue_.at(row).canRetry();
  }
  cancelButton_->setEnabled(anyActive);
  retryButton_->setEnabled(anyRetryable);
  openFolderButton_->setEnabled(!rows.isEmpty() && QDir(queue_.at(rows.first()).folder()).exists());
  clearButton_->setEnabled(anyEnded);
}

void DownloadWindow::updateSummary() {
  int done = 0;
  int failed = 0;
  for (int row = 0; row < queue_.count(); ++row) {
    const auto state = queue_.at(row).state();
    done += state == Download::State::Finished;
    failed += state == Download::State::Failed;
  }
  QStringList parts;
  if (const int running = queue_.runningCount()) parts << tr("%n downloading", nullptr, running);
  if (const int waiting = queue_.queuedCount()) parts << tr("%n waiting", nullptr, waiting);
  if (done) parts << tr("%n done", nullptr, done);
  if (failed) parts << tr("%n failed", nullptr, failed);
  summary_->setText(parts.isEmpty() ? tr("No downloads") : parts.join(QStringLiteral(", ")));
}

}  // namespace mailvane::fetchvane
