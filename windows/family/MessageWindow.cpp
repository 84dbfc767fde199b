#include "windows/family/MessageWindow.h"

#include <QCloseEvent>
#include <QShowEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QWebEngineView>

#include "controls/MsgBox.h"
#include "system/CodePage.h"
#include "system/OutputFolder.h"
#include "system/ProgramInfo.h"
#include "system/Settings.h"
#include "system/SpecialFolders.h"
#include "system/StoreRoot.h"
#include "windows/family/ClickLabel.h"
#include "windows/family/FamilyHelpers.h"
#include "windows/family/HeaderLabel.h"
#include "windows/family/ListSubject.h"
#include "windows/family/OnlineEntry.h"
#include "windows/family/PopupMenus.h"
#include "windows/family/PreviewBrowser.h"
#include "windows/family/QtFolderPicker.h"
#include "windows/family/SettingsPanel.h"
#include "windows/family/SizeProbe.h"
#include "windows/family/SoundPanel.h"

namespace mailvane {
namespace {

QString shown(std::string_view codePageText) {
  return QString::fromStdString(system::toUtf8(codePageText));
}

}  // namespace

MessageWindow::MessageWindow(const QString& caption, Traits traits,
                             std::unique_ptr<system::Settings> settings, QWidget* parent)
    : QWidget(parent),
      rows(nullptr),
      Msglist(rows.Msglist),
      traits_(traits),
      settings_(std::move(settings)),
      picker_(std::make_unique<QtFolderPicker>(this)),
      opener_([](const QUrl& url) { QDesktopServices::openUrl(url); }),
      sizes_(new SizeProbe(this)) {
  setWindowTitle(caption);
  createControls();
  rows = MessageRows(List1);
  preview_ = std::make_unique<PreviewBrowser>(W1, [this](const QUrl& url) { opener_(url); });
  newParser();
  connectHandlers();
}

MessageWindow::~MessageWindow() = default;

void MessageWindow::setFolderPicker(std::unique_ptr<system::FolderPicker> picker) {
  picker_ = std::move(picker);
  Picture2->setFolderPicker(*picker_);
}

void MessageWindow::setDesktopOpener(DesktopOpener opener) { opener_ = std::move(opener); }

// --- Public helpers

std::string MessageWindow::OpenFile(const std::string& path) {
  QCoreApplication::processEvents();
  return FamilyHelpers::readWhole(path);
}

void MessageWindow::Save(const std::string& path, const std::string& text) {
  FamilyHelpers::save(path, text);
}

std::string MessageWindow::Getit(const std::string& start, const std::string& end,
                                 const std::string& text) {
  return FamilyHelpers::getit(start, end, text);
}

QVariant MessageWindow::loadBag(const std::string& path) { return FamilyHelpers::loadBag(path); }

// --- Hooks' defaults

std::string MessageWindow::messageText(const MSlivemsgs& record) {
  return FamilyHelpers::readWhole(record.LiveFileID);
}

std::optional<std::string> MessageWindow::listedSubject(const std::string& liveFileID) {
  return ListSubject::ofFile(liveFileID, listBuffer_);
}

void MessageWindow::showStoreFolder(const std::filesystem::path&) {}

// --- Shared state

std::shared_ptr<SrParser> MessageWindow::newParser() {
  auto parser = std::make_shared<SrParser>();
  parser->Progress = [this](int32_t percent) { pars_Progress(percent); };
  parser->DecodeErrorReporter = [this](const std::string& description) {
    MsgBox::show(this, shown(description), QMessageBox::Critical, QMessageBox::Ok,
                 QStringLiteral("Err in deQuote"));
  };
  pars = parser;
  return parser;
}

bool MessageWindow::yield() {
  QPointer<MessageWindow> self(this);
  QCoreApplication::processEvents();
  return !self.isNull() && !closing_;
}

void MessageWindow::closeEvent(QCloseEvent* event) {
  closing_ = true;  // a load or walk that is yielding stops at its next step
  Psound1->stop();  // a closed window falls silent
  QWidget::closeEvent(event);
}

// A window that was closed but kept (not unloaded) works again when it is shown.
void MessageWindow::showEvent(QShowEvent* event) {
  closing_ = false;
  QWidget::showEvent(event);
}

void MessageWindow::pars_Progress(int32_t percent) {
  if (percent >= PBar1->minimum() && percent <= PBar1->maximum()) PBar1->setValue(percent);
}

void MessageWindow::showListCount() { Label21->setText(QString::number(List1->count())); }

void MessageWindow::clearList() {
  rows.clear();
  showListCount();
  clearShownMessage();
}

bool MessageWindow::fillList(size_t count, const ListFill::Source& entry) {
  const int ticket = ++fillTicket_;
  clearList();
  ListFill fill(rows, PBar2, [this] { showListCount(); },
                [this, ticket] { return yield() && ticket == fillTicket_; });
  return fill.run(count, Picture2->replyFilter(), entry);
}

bool MessageWindow::showListed(const std::string& liveFileID) {
  for (int row = 0; row < List1->count(); ++row) {
    const auto record = rows.recordForRow(row);
    if (!record || record->LiveFileID != liveFileID) continue;
    List1->clearSelection();
    List1->scrollToItem(List1->item(row));
    if (List1->currentRow() == row) {
      List1->item(row)->setSelected(true);
      List1_Click();  // already current: no change of row to load it
    } else {
      List1->setCurrentRow(row);
    }
    return true;
  }
  return false;
}

void MessageWindow::clearShownMessage() {
  ++loadTicket_;  // a message still loading must not fill the views afterwards
  newParser();
  // A walk's List2 holds what the walk gathers, a check's the links it asks about, not
  // the parts of a listed message.
  if (!walkRunning_ && !check_) {
    List2->clear();
    Label10->setText(QStringLiteral("0"));
    PBar1->setValue(0);
    PBar1->hide();
  }
  showHeaderLabels();
  preview_->blank();
  W1->hide();
  showText(pars->Source);
}

// --- Opening

void MessageWindow::loadFamilySettings() {
  preview_->blank();
  W1->hide();
  Picture2->load();
  Outputfolder = system::prepareOutputFolder(*settings_, system::executableName());
  Picture2->Text1->setText(QString::fromStdString(Outputfolder.string()));
}

// --- Loading one message

void MessageWindow::List1_Click() {
  // A walk owns List2 and the progress bars until it ends.
  if (walkRunning_) return;
  preview_->blank();
  W1->hide();
  showText(pars->Source);
  PBar1->show();
  const int ticket = ++loadTicket_;
  if (auto record = rows.recordForRow(List1->currentRow())) {
    auto parser = newParser();
    if (!yield()) return;
    if (ticket != loadTicket_) return;  // a newer click took over
    ExtractionWalk::parse(*parser, messageText(*record));
    fillPartsList(*parser, ticket);
    if (ticket != loadTicket_ || closing_) return;
  }
  showHeaderLabels();
  Label10->setText(QString::number(List2->count()));
  showText(pars->Source);
  PBar1->setValue(0);
  PBar1->hide();
}

void MessageWindow::fillPartsList(const SrParser& parser, int ticket) {
  if (check_) return;  // the message loads, but List2 stays with the check
  List2->clear();
  if (parser.mailfiles)
    for (const auto& part : *parser.mailfiles) List2->addItem(shown(part->Filename));
  const auto addLinks = [&](const KeyedList<std::string>& links, bool (*wanted)(std::string_view)) {
    for (const std::string& link : links) {
      if (!wanted(link)) continue;
      List2->addItem(shown(link));
      Label10->setText(QString::number(List2->count()));
    }
  };
  if (!yield() || ticket != loadTicket_ || check_) return;
  addLinks(parser.OnlineSound, &OnlineEntry::isSound);
  if (!yield() || ticket != loadTicket_ || check_) return;
  addLinks(parser.OnlineFont, &OnlineEntry::isFont);
}

void MessageWindow::showHeaderLabels() {
  Label1->setValue(shown(pars->Xmailer));
  Label11->setValue(shown(pars->Mimeversion));
  Label2->setValue(shown(pars->Contenttransferencoding));
  Label4->setValue(shown(pars->From));
  Label6->setValue(shown(pars->MailSize));
  Label8->setValue(shown(pars->maildate));
  Label12->setValue(shown(pars->Lines));
}

// --- Views

void MessageWindow::showText(std::string_view codePageText) {
  R1->setPlainText(shown(codePageText));
  R1->show();
}

void MessageWindow::Command9_Click() {
  preview_->blank();
  W1->show();
  const char* name = Previewtoggle ? "temp.eml" : "temp1.eml";
  Previewtoggle = !Previewtoggle;
  const std::filesystem::path file =
      system::GetSpecialFolder(system::kCsidlInternetCache) + name;
  std::error_code ec;
  std::filesystem::remove(file, ec);
  pars->Save(file, pars->Source);
  // The page is the parser's rebuilt message served from memory: the file above is the
  // raw message for other programs, which the web view cannot render faithfully.
  preview_->show(pars);
  R1->hide();
}

void MessageWindow::Command10_Click() {
  preview_->blank();
  W1->hide();
  showText(pars->Source);
}

void MessageWindow::Command11_Click() {
  preview_->blank();
  W1->hide();
  showText(pars->Html);
}

void MessageWindow::Command13_Click() {
  preview_->blank();
  W1->hide();
  showText(pars->Text);
}

// --- Pop-ups, settings panel and player panel

void MessageWindow::List1_MouseDown(const QPoint& at) {
  if (!yield()) return;
  menus->mnupopuplist->popup(List1->viewport()->mapToGlobal(at));
}

void MessageWindow::List2_MouseDown(const QPoint& at) {
  if (!yield()) return;
  const QListWidgetItem* current = List2->currentItem();
  if (!current) return;
  const std::string text = system::fromUtf8(current->text().toStdString());
  if (!OnlineEntry::isOnline(text)) return;
  const QPoint global = List2->viewport()->mapToGlobal(at);
  if (OnlineEntry::isSound(text))
    menus->mnusound->popup(global);
  else if (OnlineEntry::isFont(text))
    menus->Mnueot->popup(global);
}

void MessageWindow::Label18_Click() {
  const bool open = Label18->text() == QLatin1String("+");
  Picture2->setVisible(open);
  Label18->setText(open ? QStringLiteral("-") : QStringLiteral("+"));
}

void MessageWindow::Command3_Click() {
  Picture2->hide();
  Label18->setText(QStringLiteral("+"));
}

void MessageWindow::Command17_Click() { Psound1->stop(); }
void MessageWindow::mnustop_Click() { Psound1->stop(); }

// --- Store jumps

void MessageWindow::mnugotoLive_Click() { jumpToStore(system::kWindowsLiveMail); }
void MessageWindow::mnugotoMail_Click() { jumpToStore(system::kWindowsMail); }

void MessageWindow::jumpToStore(std::string_view subkey) {
  const std::filesystem::path root = system::StoreRoot(subkey);
  std::error_code ec;
  // A root the registry names but this system does not have is not found either.
  if (root.empty() || !std::filesystem::is_directory(root, ec)) {
    MsgBox::show(this, QStringLiteral("Didn't find the stoore folder"), QMessageBox::Information);
    return;
  }
  showStoreFolder(root);
}

}  // namespace mailvane
