#include "windows/FrmExtract/FrmExtract.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

#include "controls/EdgewiseVert.h"
#include "controls/QtFolderPicker.h"
#include "store/MessageStore.h"
#include "store/StoreLocation.h"
#include "system/CodePage.h"
#include "system/OutputFolder.h"
#include "system/ProgramInfo.h"
#include "system/QtSettings.h"
#include "system/Settings.h"
#include "windows/family/MessageRows.h"

namespace mailvane {
namespace {

// How long a listing runs between two yields: short enough that a click is answered at
// once, long enough that the yields cost little.
constexpr int kSliceMs = 16;

QString shown(const std::filesystem::path& path) {
  return QString::fromStdString(path.string());
}

}  // namespace

FrmExtract::FrmExtract(QWidget* parent)
    : FrmExtract(std::make_unique<system::QtSettings>(), parent) {}

FrmExtract::FrmExtract(std::unique_ptr<system::Settings> settings, QWidget* parent)
    : QWidget(parent),
      settings_(std::move(settings)),
      picker_(std::make_unique<controls::QtFolderPicker>(this)) {
  setObjectName(QStringLiteral("FrmExtract"));
  setWindowTitle(QStringLiteral("Extract from OE Folders"));
  createControls();
  buildLayout();
  connectHandlers();
  Form_Load();
}

FrmExtract::~FrmExtract() = default;

void FrmExtract::setFolderPicker(std::unique_ptr<system::FolderPicker> picker) {
  picker_ = std::move(picker);
}

void FrmExtract::Form_Load() {
  // Found as the command line finds it: MAILVANE_STORE, the "Store" setting, the registry.
  openStore(store::findStore(settings_->value(store::kStoreSetting, "")).root);
  Text2->setText(shown(system::prepareOutputFolder(*settings_, system::executableName())));
}

void FrmExtract::openStore(std::filesystem::path root) {
  storeRoot_ = std::move(root);
  fillFolders();
}

void FrmExtract::fillFolders() {
  ++listTicket_;              // a listing of the old store's folder stops at its next yield
  List1->blockSignals(true);  // clearing moves the current row; nothing is to be listed
  List1->clear();
  List2->clear();
  List1->blockSignals(false);
  showCount();
  int folders = 0;
  if (!storeRoot_.empty()) {
    store::MessageStore messageStore = store::MessageStore::open(storeRoot_);
    for (auto folder = messageStore.firstFolder(); folder; folder = messageStore.nextFolder()) {
      // Indented below its parent, as the mail client shows its tree.
      auto* item = new QListWidgetItem(QString(folder->depth() * 3, QLatin1Char(' ')) +
                                       QString::fromStdString(folder->name()));
      item->setData(Qt::UserRole, int(folder->id()));
      item->setData(Qt::AccessibleTextRole, QString::fromStdString(folder->name()));
      List1->addItem(item);
      ++folders;
    }
  }
  showStoreState(folders);
}

void FrmExtract::showStoreState(int folders) {
  if (storeRoot_.empty()) {
    storeLabel->setText(QStringLiteral(
        "No message store was found. Choose the store folder with \"Store Folder...\"."));
    chooseStore->setDefault(true);
    return;
  }
  chooseStore->setDefault(false);
  storeLabel->setText(folders > 0 ? QStringLiteral("Store: ") + shown(storeRoot_)
                                  : QStringLiteral("No mail folders were found in ") +
                                        shown(storeRoot_) + QLatin1Char('.'));
}

void FrmExtract::chooseStore_Click() {
  std::string start = storeRoot_.string();
  if (start.empty()) start = system::programFolder().string();
  const std::string picked = picker_->BrowseForFolder(start, "Select the message store folder.");
  if (picked.empty()) return;
  settings_->setValue(store::kStoreSetting, picked);
  openStore(picked);
}

void FrmExtract::Check2_Click() {
  List1_Click();
}

void FrmExtract::List1_Click() {
  const QListWidgetItem* item = List1->currentItem();
  if (!item) return;
  bool ok = false;
  const int id = item->data(Qt::UserRole).toInt(&ok);
  if (!ok || id < INT16_MIN || id > INT16_MAX) return;
  Currentfolder = static_cast<store::FolderId>(id);
  const int ticket = ++listTicket_;
  store::MessageStore messageStore = store::MessageStore::open(storeRoot_);
  auto folder = messageStore.folderById(Currentfolder);
  List2->clear();
  showCount();
  if (!folder) return;
  const uint32_t count = folder->messageCount();
  EV2->setMax(double(count) - 1);
  const bool skipReplies = Check2->isChecked();
  listingTicket_ = ticket;
  QElapsedTimer slice;
  slice.start();
  uint32_t index = 0;
  for (auto message = folder->firstMessage(); message; message = folder->nextMessage(), ++index) {
    const std::string subject = MessageRows::shownSubject(message->subject());
    const bool reply = skipReplies && MessageRows::isReply(system::fromUtf8(subject));
    // A message whose text cannot be read is not listed: there would be nothing to extract.
    if (!reply && !message->source().empty()) {
      auto* row = new QListWidgetItem(QString::fromStdString(subject));
      row->setData(Qt::UserRole, uint(message->id()));
      List2->addItem(row);
    }
    EV2->setValue(index);
    if (slice.elapsed() >= kSliceMs) {
      showCount();
      if (!yield() || ticket != listTicket_) return;  // closed, or another listing took over
      slice.restart();
    }
  }
  showCount();
  EV2->setValue(0);
  listingTicket_ = 0;
}

void FrmExtract::showCount() {
  Label4->setText(QStringLiteral("Messages in folder: ") + QString::number(List2->count()));
}

bool FrmExtract::yield() {
  QPointer<FrmExtract> self(this);
  QCoreApplication::processEvents();
  return !self.isNull() && !closing_;
}

void FrmExtract::Command6_Click() {
  close();
}

void FrmExtract::closeEvent(QCloseEvent* event) {
  closing_ = true;  // a listing or batch that is yielding stops at its next step
  Extracting = false;
  QWidget::closeEvent(event);
}

// A window that was closed but kept (not unloaded) works again when it is shown.
void FrmExtract::showEvent(QShowEvent* event) {
  closing_ = false;
  QWidget::showEvent(event);
}

}  // namespace mailvane
