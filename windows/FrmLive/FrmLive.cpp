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
  const int ticket = ++listTicket_;
  clearList();
  const QString folder = browser_->path();
  const QStringList files = browser_->files();
  if (!files.isEmpty()) {
    PBar2->setMaximum(static_cast<int>(files.size()));
    PBar2->show();
  }
  const bool skipReplies = Picture2->replyFilter();
  for (qsizetype i = 0; i < files.size(); ++i) {
    PBar2->setValue(static_cast<int>(i + 1));
    const std::string path = (folder + QLatin1Char('/') + files[i]).toStdString();
    if (!yield()) return;
    // A newer fill (another folder, the reply filter) has taken over the list.
    if (ticket != listTicket_) return;
    const std::string text = messageText(MSlivemsgs{path, {}});
    if (ticket != listTicket_) return;  // a window whose reading yields can be overtaken too
    if (text.find("Subject:") != std::string::npos) {
      const std::string subject = MessageRows::shownSubject(Getit("Subject:", "\r\n", text));
      if (!subject.empty() && !(skipReplies && MessageRows::isReply(subject)))
        rows.add(subject, path);
    }
    showListCount();
  }
  showListCount();
  PBar2->setValue(0);
  PBar2->hide();
}

}  // namespace mailvane
