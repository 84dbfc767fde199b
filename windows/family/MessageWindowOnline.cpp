// The commands on the links in List2: the size of one link, the existence check of all
// of them, their downloads through the download plug-in, and playing one of them.
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>

#include <optional>
#include <vector>

#include "controls/MsgBox.h"
#include "controls/NetClass.h"
#include "system/CodePage.h"
#include "windows/family/MessageWindow.h"
#include "windows/family/OnlineEntry.h"
#include "windows/family/PreviewContent.h"
#include "windows/family/SettingsPanel.h"
#include "windows/family/SizeProbe.h"
#include "windows/family/SoundPanel.h"

namespace mailvane {
namespace {

// Servers answer a size request in about the time of a connection; a few at a time keep
// a long list short without crowding one server (browsers allow six per host).
constexpr int kParallelChecks = 6;

std::string codePage(const QString& shownText) {
  return system::fromUtf8(shownText.toStdString());
}

}  // namespace

struct MessageWindow::OnlineCheck {
  QStringList links;           // List2's rows when the check began
  std::vector<int32_t> sizes;  // the size each row's server announced, 0 for none
  int started = 0;
  int settled = 0;
};

void MessageWindow::setOnlineTimeout(std::chrono::milliseconds timeout) {
  sizes_->setTimeout(timeout);
}

bool MessageWindow::Netbusy() const {
  return sizes_->pending() > 0;
}

int32_t MessageWindow::Netgetsize(const std::string& url) {
  const QPointer<MessageWindow> self(this);
  auto size = std::make_shared<std::optional<int32_t>>();
  sizes_->request(QString::fromStdString(system::toUtf8(url)),
                  [size](int32_t answered) { *size = answered; });
  // Every request ends by its time-out at the latest, so this wait ends too.
  while (!size->has_value()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (!self) return 0;
  }
  return **size;
}

// --- Existence check: keeps the rows whose server announces a size above 0, in the
// order of the rows.

void MessageWindow::mnuCheckOnlineverify_Click() {
  if (check_ || walkRunning_) return;
  auto check = std::make_shared<OnlineCheck>();
  for (int row = 0; row < List2->count(); ++row) check->links << List2->item(row)->text();
  check->sizes.assign(static_cast<size_t>(check->links.size()), 0);
  if (!check->links.isEmpty()) PBar1->setMaximum(static_cast<int>(check->links.size()));
  check_ = check;
  updateCommands();
  continueCheck();
}

void MessageWindow::continueCheck() {
  const std::shared_ptr<OnlineCheck> check = check_;
  const int count = static_cast<int>(check->links.size());
  while (check->started < count && check->started - check->settled < kParallelChecks) {
    const int row = check->started++;
    PBar1->setValue(row + 1);
    // The row being asked about is marked; a row that changed meanwhile is left alone.
    if (QListWidgetItem* item = List2->item(row); item && item->text() == check->links[row])
      item->setSelected(true);
    // The probe belongs to this window and never answers after it is gone.
    sizes_->request(check->links[row], [this, check, row](int32_t size) {
      check->sizes[static_cast<size_t>(row)] = size;
      ++check->settled;
      continueCheck();
    });
  }
  if (check->settled == count) finishCheck();
}

void MessageWindow::finishCheck() {
  const std::shared_ptr<OnlineCheck> check = std::move(check_);
  List2->clear();
  for (qsizetype row = 0; row < check->links.size(); ++row) {
    if (check->sizes[static_cast<size_t>(row)] <= 0) continue;
    List2->addItem(check->links[row]);  // as shown, surrounding blanks included
    Label10->setText(QString::number(List2->count()));
  }
  Label10->setText(QString::number(List2->count()));
  endRowProgress();
  updateCommands();
}

// The row commands count PBar1 in rows; loads count it in percent again afterwards.
void MessageWindow::endRowProgress() {
  PBar1->setRange(0, 100);
  PBar1->setValue(0);
}

// --- Downloads: the selected rows that are online and of the kind go to the plug-in.

void MessageWindow::MNUDOWLOAD_Click() {
  download(*soundDownloads, QStringLiteral("Sounds"), &OnlineEntry::isSound);
}

void MessageWindow::mnudownloadeot_Click() {
  download(*fontDownloads, QStringLiteral("Fonts"), &OnlineEntry::isFont);
}

void MessageWindow::download(NetClass& host, const QString& kind,
                             bool (*counts)(std::string_view)) {
  if (!host.Run() || !host.call("Downloadershow")) {
    MsgBox::show(this,
                 QStringLiteral("The download plug-in could not be started.\n") + host.lastError(),
                 QMessageBox::Warning);
    return;
  }
  // Downloads go where the settings panel shows, which may be a folder picked after
  // the window opened.
  QString base = Picture2->Text1->text().trimmed();
  if (base.isEmpty()) base = QString::fromStdString(Outputfolder.string());
  const QString folder = QDir::cleanPath(base + QLatin1Char('/') + kind);
  // The rows as they stand now: the list may change while the command yields.
  struct Row {
    QString text;
    bool selected;
  };
  std::vector<Row> rows;
  for (int row = 0; row < List2->count(); ++row)
    rows.push_back(Row{List2->item(row)->text(), List2->item(row)->isSelected()});
  if (!rows.empty()) PBar1->setMaximum(static_cast<int>(rows.size()));
  int index = 0;
  for (const Row& row : rows) {
    PBar1->setValue(++index);
    if (!row.selected) continue;
    if (!yield()) return;
    QDir().mkpath(folder);
    const std::string text = codePage(row.text);
    if (OnlineEntry::isOnline(text) && counts(text)) host.call("Add", {row.text.trimmed(), folder});
  }
  endRowProgress();
}

// --- Playing

void MessageWindow::mnuplay_Click() {
  const QListWidgetItem* current = List2->currentItem();
  if (!current) return;
  const QString entry = current->text();
  if (OnlineEntry::isOnline(codePage(entry))) {
    Psound1->play(entry, QUrl(entry.trimmed()));
    return;
  }
  // A part of the message on show, under the name the parts list gives it.
  if (const auto part = PreviewContent(pars).part(entry)) {
    Psound1->playBytes(entry, part->body);
    return;
  }
  Psound1->report(entry, QStringLiteral("not a part of the message on show"));
}

}  // namespace mailvane
