#include "windows/FrmDbxExtract/FrmDbxExtract.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/MsgBox.h"
#include "controls/NetClass.h"
#include "system/ProgramInfo.h"
#include "system/QtSettings.h"
#include "system/Settings.h"
#include "system/SettingsKeys.h"
#include "windows/family/ListSubject.h"
#include "windows/family/NamedWidget.h"
#include "windows/family/PopupMenus.h"

namespace mailvane {
namespace {

// The check-box and option clicks of this window are used but not remembered, and there
// is no folder tree to jump from.
constexpr MessageWindow::Traits kTraits{.listCommands = true, .storesChoices = false,
                                        .storeJumps = false};

QString defaultChooser(QWidget* parent, const QString& startFolder) {
  QFileDialog dialog(parent, QStringLiteral("Open a dbx file"), startFolder,
                     QStringLiteral("Outlook Express(*.dbx)"));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QStringLiteral("dbx"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

void rename(QAction* action, const char* name, const char* caption) {
  action->setObjectName(QLatin1String(name));
  action->setText(QString::fromLatin1(caption));
}

}  // namespace

FrmDbxExtract::FrmDbxExtract(QWidget* parent)
    : FrmDbxExtract(std::make_unique<system::QtSettings>(), parent) {}

FrmDbxExtract::FrmDbxExtract(std::unique_ptr<system::Settings> settings, QWidget* parent)
    : MessageWindow(QStringLiteral("Extract from Outlook Express Dbx files"), kTraits,
                    std::move(settings), parent),
      chooser_(defaultChooser) {
  setObjectName(QStringLiteral("FrmDbxExtract"));
  // The first host reads the .dbx file; the second takes both kinds of download.
  delete NetClass1;
  NetClass1 = newDbxHost();
  soundDownloads = NetClass2;
  renameMenus();
  assembleLayout(sourcePane());
  loadFamilySettings();
}

QWidget* FrmDbxExtract::sourcePane() {
  auto* pane = new QWidget(this);
  Command18 = named(new QPushButton(QStringLiteral("Open"), pane), "Command18");
  Command18->setToolTip(QStringLiteral("Open a dbx file"));
  fileLabel_ = described(named(new QLabel(QStringLiteral("No file opened"), pane), "fileLabel"),
                         "Opened file");
  fileLabel_->setWordWrap(true);
  fileLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Command18);
  layout->addWidget(fileLabel_);
  layout->addStretch();
  connect(Command18, &QPushButton::clicked, this, &FrmDbxExtract::Command18_Click);
  return pane;
}

void FrmDbxExtract::renameMenus() {
  rename(menus->mnucheckOnlinefont, "mnucheckforfonts", "Check for Online Fonts in Selected");
  rename(menus->MNUDOWLOAD, "mnudownload", "Download selected");
  menus->Mnueot->setObjectName(QStringLiteral("mnudownloadfont"));
  menus->Mnueot->menuAction()->setObjectName(QStringLiteral("mnudownloadfont"));
  rename(menus->mnudownloadeot, "mnudownloadfonts1", "Download Selected");
  // Shown as in the other windows' menus, but there is nothing behind it.
  menus->mnuExtractimg->setVisible(true);
  menus->mnuExtractimg->setEnabled(false);
}

NetClass* FrmDbxExtract::newDbxHost() {
  return new NetClass("NetClass1", QStringLiteral("Toolbench.DBX"), QStringLiteral("Toolbench.dll"),
                      QStringLiteral("plugin"), this);
}

void FrmDbxExtract::Command18_Click() {
  QString start = QString::fromStdString(settings().value(system::kOpenstore, ""));
  if (start.isEmpty()) start = QString::fromStdString(system::programFolder().string());
  const QString file = chooser_(this, start);
  if (!file.isEmpty()) openDbx(file);
}

bool FrmDbxExtract::openDbx(const QString& file) {
  if (!file.right(4).toLower().endsWith(QLatin1String(".dbx"))) return false;
  const QString path = QFileInfo(file).absoluteFilePath();
  // A new host parses the file, so the open one keeps serving the list until the new
  // file is known to be readable.
  NetClass* host = newDbxHost();
  const int ticket = ++openTicket_;
  QVariant count;
  QString reason;
  if (!host->Run()) {
    reason = host->lastError();
  } else if (!yield() || ticket != openTicket_) {
    delete host;  // closed, or another file was opened meanwhile
    return false;
  } else if (!host->call("Parse", {path}, &count)) {
    reason = host->lastError();
  } else {
    reason = host->member("LastError").toString();
  }
  if (count.toInt() <= 0 && !reason.isEmpty()) {
    delete host;
    MsgBox::show(this, QStringLiteral("%1 could not be opened:\n%2").arg(path, reason),
                 QMessageBox::Warning);
    return false;
  }
  delete NetClass1;
  NetClass1 = host;
  Msgcount = count.toInt();
  opened_ = path;
  fileLabel_->setText(path);
  const bool complete = fill();
  settings().setValue(system::kOpenstore, path.toStdString());
  // A damaged file still lists what can be read; the user learns what is missing.
  if (complete && (!reason.isEmpty() || unreadable_ > 0)) {
    QString text = QStringLiteral("%1 is damaged").arg(path);
    if (!reason.isEmpty()) text += QStringLiteral(": ") + reason;
    if (unreadable_ > 0)
      text += unreadable_ == 1 ? QStringLiteral("\n1 message could not be read and is not listed.")
                               : QStringLiteral("\n%1 messages could not be read and are not listed.")
                                     .arg(unreadable_);
    MsgBox::show(this, text, QMessageBox::Warning);
  }
  return true;
}

void FrmDbxExtract::LoadList() { fill(); }

bool FrmDbxExtract::fill() {
  unreadable_ = 0;
  const size_t count = Msgcount > 0 ? static_cast<size_t>(Msgcount) : 0;
  return fillList(count, [this](size_t i) -> std::optional<ListFill::Entry> {
    const std::string text = Extract(static_cast<int>(i));
    if (text.empty()) {
      ++unreadable_;
      return std::nullopt;
    }
    auto subject = ListSubject::ofText(text);
    if (!subject) return std::nullopt;
    return ListFill::Entry{std::move(*subject), std::to_string(i)};
  });
}

std::string FrmDbxExtract::messageText(const MSlivemsgs& record) {
  return Extract(QString::fromStdString(record.LiveFileID));
}

std::string FrmDbxExtract::Extract(const QVariant& number) {
  QVariant text;
  if (!NetClass1->call("Extract", {number}, &text)) return {};
  const QByteArray bytes = text.toByteArray();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace mailvane
