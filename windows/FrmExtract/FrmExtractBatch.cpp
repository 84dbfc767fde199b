// "Extract Emails": the batch over the selected messages, one folder each, with "Cancel"
// between two messages, and the choice of the output folder.
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <system_error>

#include "controls/EdgewiseVert.h"
#include "controls/MsgBox.h"
#include "engine/ExtractionWalk.h"
#include "store/MessageStore.h"
#include "system/BrowseForFolder.h"
#include "system/ProgramInfo.h"
#include "system/Settings.h"
#include "system/SettingsKeys.h"
#include "windows/FrmExtract/FrmExtract.h"
#include "windows/FrmExtract/StoreMessageWriter.h"
#include "windows/family/MessageRows.h"

namespace mailvane {
namespace {

namespace fs = std::filesystem;

QString utf8(const std::string& text) {
  return QString::fromStdString(text);
}

// One line of the report at the end of a batch: the message and what went wrong.
QString failureLine(const std::string& subject, const std::vector<std::string>& reasons) {
  QStringList texts;
  for (const std::string& reason : reasons) texts << utf8(reason);
  return utf8(subject) + QStringLiteral(": ") + texts.join(QStringLiteral("; "));
}

}  // namespace

void FrmExtract::Command4_Click() {
  std::string start = Text2->text().toStdString();
  if (start.empty()) start = system::programFolder().string();
  const std::string picked =
      picker_->BrowseForFolder(start, std::string(system::FolderPicker::kOutputFolderTitle));
  if (!picked.empty()) Text2->setText(utf8(picked));
  settings_->setValue(system::kEmails, picked.empty() ? start : picked);
}

void FrmExtract::Command7_Click() {
  Extracting = false;
}

std::vector<FrmExtract::Job> FrmExtract::selectedJobs() const {
  std::vector<Job> jobs;
  for (int row = 0; row < List2->count(); ++row) {
    const QListWidgetItem* item = List2->item(row);
    if (item->isSelected())
      jobs.push_back(Job{row, item->text().toStdString(), item->data(Qt::UserRole).toUInt()});
  }
  return jobs;
}

void FrmExtract::Command5_Click() {
  if (Extracting) return;
  Messagebusy = false;
  if (Text2->text().isEmpty()) {
    MsgBox::show(this, QStringLiteral("You must select a folder to save to!"),
                 QMessageBox::Critical, QMessageBox::Ok, QStringLiteral("Nothing to do"));
    Command4_Click();
    // Without a folder there is nowhere to write: the batch does not start.
    if (Text2->text().isEmpty()) return;
  }
  // The batch works on the store, folder and selection of now: a folder or store chosen
  // meanwhile refills the lists but changes nothing here.
  const std::vector<Job> jobs = selectedJobs();
  const fs::path storeRoot = storeRoot_;
  const store::FolderId folder = Currentfolder;
  const fs::path output = Text2->text().toStdString();
  ExtractionWalk names(output, {});
  QStringList failures;
  setBatchRunning(true);
  EV1->setMax(double(List2->count()) - 1);
  bool cancelled = false;
  for (const Job& job : jobs) {
    if (!Extracting) {
      cancelled = true;
      break;
    }
    EV1->setValue(job.row);
    EV1->repaint();
    const std::vector<std::string> failed = extractMessage(job, storeRoot, folder, output, names);
    if (!failed.empty()) failures << failureLine(job.subject, failed);
    // A message is written in one go; between two the window answers, and "Cancel" is
    // seen before the next one starts.
    if (!yield()) return;  // closed: nothing of the window may be touched any more
  }
  EV1->setValue(0);
  if (cancelled) EV2->setValue(0);
  setBatchRunning(false);
  if (!failures.isEmpty()) reportFailures(failures);
}

std::vector<std::string> FrmExtract::extractMessage(const Job& job, const fs::path& storeRoot,
                                                    store::FolderId folderId,
                                                    const fs::path& output, ExtractionWalk& names) {
  Messagebusy = true;
  struct Done {
    bool& busy;
    ~Done() { busy = false; }
  } done{Messagebusy};
  // The store is opened anew for every message, so a message is read as the store holds
  // it now, and a store that went away fails its messages instead of the window.
  store::MessageStore messageStore = store::MessageStore::open(storeRoot);
  auto folder = messageStore.folderById(folderId);
  auto message = folder ? folder->messageById(job.id) : std::nullopt;
  if (!message) return {"the message is no longer in the store"};
  // Identifiers follow the folder's order: a folder that changed since it was listed may
  // give another message under the same number.
  if (utf8(MessageRows::shownSubject(message->subject())).toStdString() != job.subject)
    return {"the folder changed since it was listed; list it again"};
  std::string source = message->source();
  if (source.empty()) return {"the message cannot be read"};

  StoreMessageWriter::Options options;
  options.copy = Option3->isChecked() ? UnsentCopy::None
                                      : (Option1->isChecked() ? UnsentCopy::Eml : UnsentCopy::Nws);
  options.html = ChcHtml->isChecked();
  options.files = Check1->isChecked();
  StoreMessageWriter writer(options, [this](int value, int max) {
    EV2->setMax(max);
    EV2->setValue(value);
    EV2->repaint();
  });
  const std::string name = StoreMessageWriter::folderName(job.subject);
  writer.load(std::move(source), name, current);

  const fs::path messageFolder = output / names.claimFolderName(name);
  std::error_code ec;
  fs::create_directories(messageFolder, ec);
  if (!fs::is_directory(messageFolder, ec))
    return {"cannot create the folder " + messageFolder.string()};
  return writer.write(current, messageFolder, name);
}

void FrmExtract::setBatchRunning(bool running) {
  Extracting = running;
  Command5->setEnabled(!running);
  Command7->setEnabled(running);
}

// A batch goes on past a message it cannot write; the user is told which ones at the end
// instead of finding them missing later.
void FrmExtract::reportFailures(const QStringList& failures) {
  MsgBox::show(
      this,
      QStringLiteral("Some messages could not be extracted:\n") + failures.join(QLatin1Char('\n')),
      QMessageBox::Warning);
}

}  // namespace mailvane
