#include "windows/Frmindex/IndexFolders.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "controls/MsgBox.h"
#include "index/IndexLocations.h"
#include "system/Settings.h"
#include "windows/family/NamedWidget.h"
#include "windows/family/QtFolderPicker.h"

namespace mailvane {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPickerTitle = "Select a folder to search for news messages.";

}  // namespace

IndexFolders::IndexFolders(system::Settings& settings, QWidget* parent)
    : QWidget(parent), settings_(settings), picker_(std::make_unique<QtFolderPicker>(this)) {
  setObjectName(QStringLiteral("IndexFolders"));
  indexFoldersLabel =
      named(new QLabel(QStringLiteral("Folders to index :"), this), "indexFoldersLabel");
  indexFolders = spoken(named(new QListWidget(this), "indexFolders"), "Folders to index");
  indexFolders->setSelectionMode(QAbstractItemView::ExtendedSelection);
  indexFolders->setMaximumHeight(indexFolders->fontMetrics().height() * 5);
  indexFoldersLabel->setBuddy(indexFolders);
  addIndexFolder = named(new QPushButton(QStringLiteral("Add Folder..."), this), "addIndexFolder");
  removeIndexFolder = named(new QPushButton(QStringLiteral("Remove"), this), "removeIndexFolder");
  removeIndexFolder->setAccessibleName(
      QStringLiteral("Remove the selected folders from the index"));

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(indexFoldersLabel, 0, 0, Qt::AlignTop);
  grid->addWidget(indexFolders, 0, 1, 2, 1);
  grid->addWidget(addIndexFolder, 0, 2);
  grid->addWidget(removeIndexFolder, 1, 2, Qt::AlignTop);
  grid->setColumnStretch(1, 1);

  connect(addIndexFolder, &QPushButton::clicked, this, &IndexFolders::addFolder);
  connect(removeIndexFolder, &QPushButton::clicked, this, &IndexFolders::removeSelected);
  connect(indexFolders, &QListWidget::itemSelectionChanged, this,
          [this] { removeIndexFolder->setEnabled(!indexFolders->selectedItems().isEmpty()); });
  showRoots();
}

IndexFolders::~IndexFolders() = default;

void IndexFolders::setFolderPicker(std::unique_ptr<system::FolderPicker> picker) {
  picker_ = std::move(picker);
}

std::vector<fs::path> IndexFolders::roots() const {
  return index::indexRoots(settings_);
}

void IndexFolders::showRoots() {
  indexFolders->clear();
  for (const fs::path& root : roots()) indexFolders->addItem(QString::fromStdString(root.string()));
  removeIndexFolder->setEnabled(false);
}

void IndexFolders::store(const std::vector<fs::path>& roots, const QStringList& removed) {
  std::string setting;
  for (const fs::path& root : roots) {
    if (!setting.empty()) setting += ';';
    setting += root.string();
  }
  settings_.setValue(index::kIndexRoots, setting);
  showRoots();
  emit changed(removed);
}

void IndexFolders::addFolder() {
  const std::vector<fs::path> now = roots();
  const std::string start = now.empty() ? std::string() : now.front().string();
  const std::string picked = picker_->BrowseForFolder(start, kPickerTitle);
  if (picked.empty()) return;
  // The setting separates folders with ";", so such a name would come back as two.
  if (picked.find(';') != std::string::npos) {
    MsgBox::show(this, QStringLiteral("A folder whose name holds \";\" cannot be indexed."),
                 QMessageBox::Information);
    return;
  }
  std::vector<fs::path> next = now;
  next.emplace_back(picked);
  store(index::normaliseRoots(next), {});
}

void IndexFolders::removeSelected() {
  std::vector<fs::path> kept;
  QStringList removed;
  for (int row = 0; row < indexFolders->count(); ++row) {
    const QListWidgetItem* item = indexFolders->item(row);
    if (item->isSelected())
      removed << item->text();
    else
      kept.emplace_back(item->text().toStdString());
  }
  if (removed.isEmpty()) return;
  store(kept, removed);
}

}  // namespace mailvane
