#include "windows/FrmLive/FolderBrowser.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QListWidget>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

namespace mailvane {
namespace {

// Mounts that hold the user's files; kernel and memory file systems only add noise.
bool isUserVolume(const QStorageInfo& volume) {
  if (!volume.isValid() || !volume.isReady()) return false;
  if (volume.isRoot()) return true;
  return volume.device().startsWith("/dev/") || volume.fileSystemType().startsWith("fuse");
}

QString cleanFolder(const QString& folder) {
  return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

}  // namespace

FolderBrowser::FolderBrowser(QWidget* parent) : QWidget(parent) {
  Drive1 = new QComboBox(this);
  Drive1->setObjectName(QStringLiteral("Drive1"));
  Drive1->setAccessibleName(QStringLiteral("Drive"));
  Dir1 = new QTreeView(this);
  Dir1->setObjectName(QStringLiteral("Dir1"));
  Dir1->setAccessibleName(QStringLiteral("Folders"));
  File1 = new QListWidget(this);
  File1->setObjectName(QStringLiteral("File1"));
  File1->hide();

  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_->setRootPath(QDir::rootPath());
  Dir1->setModel(model_);
  for (int column = 1; column < model_->columnCount(); ++column) Dir1->hideColumn(column);
  Dir1->header()->hide();
  Dir1->setContextMenuPolicy(Qt::CustomContextMenu);
  Dir1->viewport()->installEventFilter(this);
  Dir1->setMinimumWidth(180);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Drive1);
  layout->addWidget(Dir1, 1);
  layout->addWidget(File1);

  fillDrives();
  connect(Drive1, &QComboBox::activated, this, &FolderBrowser::Drive1_Change);
  connect(Dir1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &FolderBrowser::treeCurrentChanged);
}

void FolderBrowser::fillDrives() {
  QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
  std::sort(volumes.begin(), volumes.end(), [](const QStorageInfo& a, const QStorageInfo& b) {
    return a.rootPath() < b.rootPath();
  });
  for (const QStorageInfo& volume : volumes)
    if (isUserVolume(volume)) Drive1->addItem(volume.rootPath(), volume.rootPath());
  if (Drive1->findData(QDir::rootPath()) < 0) Drive1->insertItem(0, QDir::rootPath(), QDir::rootPath());
}

void FolderBrowser::showDriveOf(const QString& folder) {
  // The drive is the mount with the longest root that holds the folder.
  int best = -1;
  qsizetype bestLength = -1;
  for (int i = 0; i < Drive1->count(); ++i) {
    QString root = Drive1->itemData(i).toString();
    const bool holds = root == QLatin1String("/") || folder == root ||
                       folder.startsWith(root + QLatin1Char('/'));
    if (holds && root.size() > bestLength) {
      best = i;
      bestLength = root.size();
    }
  }
  const QSignalBlocker quiet(Drive1);
  Drive1->setCurrentIndex(best);
  if (best >= 0) Dir1->setRootIndex(model_->index(Drive1->itemData(best).toString()));
}

void FolderBrowser::Drive1_Change(int index) {
  if (index >= 0) setPath(Drive1->itemData(index).toString());
}

bool FolderBrowser::setPath(const QString& folder) {
  if (!QFileInfo(folder).isDir()) return false;
  const QString clean = cleanFolder(folder);
  showDriveOf(clean);
  const QModelIndex index = model_->index(clean);
  {
    const QSignalBlocker quiet(Dir1->selectionModel());
    Dir1->setCurrentIndex(index);
  }
  Dir1->scrollTo(index);
  Dir1->expand(index);
  if (clean == path_) return true;
  path_ = clean;
  refreshFiles();
  emit pathChanged(path_);
  return true;
}

// The tree changes its current folder inside its mouse press, before it selects the
// row; a fill that yielded there would let the next click select another row under it.
// So the folder is taken once the click is handled, and it is the tree's current folder
// then: of several quick clicks the last one wins.
void FolderBrowser::treeCurrentChanged() {
  QMetaObject::invokeMethod(this, [this] {
    const QModelIndex current = Dir1->currentIndex();
    if (current.isValid()) setPath(model_->filePath(current));
  }, Qt::QueuedConnection);
}

// The right button only opens the tree's menu; it neither selects nor changes folder.
bool FolderBrowser::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Dir1->viewport()) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
          event->ignore();  // left for the context menu that follows
          return true;
        }
        break;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void FolderBrowser::refreshFiles() {
  File1->clear();
  if (path_.isEmpty()) return;
  QDir folder(path_);
  // The filters match without regard to case, as the mail clients' ".EML" files need.
  File1->addItems(folder.entryList({QStringLiteral("*.eml"), QStringLiteral("*.nws")},
                                   QDir::Files, QDir::Name | QDir::IgnoreCase));
}

QStringList FolderBrowser::files() const {
  QStringList names;
  for (int i = 0; i < File1->count(); ++i) names << File1->item(i)->text();
  return names;
}

}  // namespace mailvane
