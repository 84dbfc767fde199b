#include "windows/FrmLive/FrmLive.h"

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QTreeView>

#include "system/ProgramInfo.h"
#include "system/QtSettings.h"
#include "system/StoreRoot.h"
#include "windows/FrmLive/FolderBrowser.h"
#include "windows/family/PopupMenus.h"
#include "windows/family/SettingsPanel.h"

namespace mailvane {

FrmLive::FrmLive(QWidget* parent) : FrmLive(std::make_unique<system::QtSettings>(), parent) {}

FrmLive::FrmLive(std::unique_ptr<system::Settings> settings, QWidget* parent)
    : MessageWindow(QStringLiteral("Extract from Folders"), Traits{}, std::move(settings), parent),
      browser_(new FolderBrowser(this)) {
  setObjectName(QStringLiteral("FrmLive"));
  assembleLayout(browser_);
  connect(browser_, &FolderBrowser::pathChanged, this, &FrmLive::Dir1_Change);
  connect(browser_->Dir1, &QTreeView::customContextMenuRequested, this, &FrmLive::Dir1_MouseDown);
  Form_Load();
}

void FrmLive::Form_Load() {
  // Settings first, so the list is filled once, already with the stored reply filter.
  loadFamilySettings();
  std::filesystem::path start = system::firstStoreRoot();
  std::error_code ec;
  if (start.empty() || !std::filesystem::is_directory(start, ec)) start = system::programFolder();
  browser_->setPath(QString::fromStdString(start.string()));
}

void FrmLive::Dir1_Change() { LoadList(); }

void FrmLive::Dir1_MouseDown(const QPoint& at) {
  if (!yield()) return;
  menus->mnumicrosoft->popup(browser_->Dir1->viewport()->mapToGlobal(at));
}

void FrmLive::showStoreFolder(const std::filesystem::path& folder) {
  browser_->setPath(QString::fromStdString(folder.string()));
}

void FrmLive::LoadList() {
  const QString folder = browser_->path();
  const QStringList files = browser_->files();
  fillList(static_cast<size_t>(files.size()), [&](size_t i) -> std::optional<ListFill::Entry> {
    std::string path = (folder + QLatin1Char('/') + files[static_cast<qsizetype>(i)]).toStdString();
    auto subject = listedSubject(path);
    if (!subject) return std::nullopt;
    return ListFill::Entry{std::move(*subject), std::move(path)};
  });
}

}  // namespace mailvane
