// The commands that walk the message list: the five extraction commands and the
// gathering of sounds and fonts into List2.
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

#include "controls/MsgBox.h"
#include "system/CodePage.h"
#include "windows/family/MessageWindow.h"
#include "windows/family/OnlineEntry.h"
#include "windows/family/PopupMenus.h"
#include "windows/family/SettingsPanel.h"

namespace mailvane {
namespace {

QString shown(const std::string& codePageText) {
  return QString::fromStdString(system::toUtf8(codePageText));
}

ExtractionChoice only(ExtractCommand command) {
  ExtractionChoice choice;
  choice.command = command;
  return choice;
}

}  // namespace

// --- Extraction

void MessageWindow::Command14_Click() {
  ExtractionChoice choice;
  choice.saveText = Picture2->saveText();
  choice.unsent = Picture2->unsentCopy();
  extract(choice);
}

void MessageWindow::mnuExtractAll_Click() { Command14_Click(); }
void MessageWindow::mnuExtractHtml_Click() { extract(only(ExtractCommand::HtmlOnly)); }
void MessageWindow::mnuExtracttxt_Click() { extract(only(ExtractCommand::TextOnly)); }
void MessageWindow::mnuExtractSoundsOnly_Click() { extract(only(ExtractCommand::SoundsOnly)); }

void MessageWindow::extract(ExtractionChoice choice) {
  if (walkRunning_) return;
  ExtractionWalk walk(Outputfolder, choice);
  QStringList failures;
  int written = 0;
  const QPointer<MessageWindow> self(this);
  runWalk(true, [&](SrParser& parser) {
    const ExtractionResult result = walk.extract(parser);
    if (result.ok)
      ++written;
    else
      failures << shown(parser.Subject) + QStringLiteral(": ") + QString::fromStdString(result.error);
    return true;
  });
  if (!self || closing_) return;
  reportWalk(written, static_cast<int>(failures.size()));
  if (!failures.isEmpty()) reportFailures(failures);
}

// Said in the window rather than in a box: the user goes on working, and the folder is
// one click away.
void MessageWindow::reportWalk(int written, int failed) {
  QString report = written == 1 ? QStringLiteral("1 message written")
                                : QStringLiteral("%1 messages written").arg(written);
  if (failed > 0) report += QStringLiteral(", %1 failed").arg(failed);
  walkReport->setText(report + QLatin1Char('.'));
  walkReport->show();
  openOutput->setVisible(written > 0);
}

// A walk goes on past a message it cannot write; the user is told which ones at the end
// instead of finding them missing later.
void MessageWindow::reportFailures(const QStringList& failures) {
  MsgBox::show(this,
               QStringLiteral("Some messages could not be extracted:\n") +
                   failures.join(QLatin1Char('\n')),
               QMessageBox::Warning);
}

// --- Gathering sounds and fonts

void MessageWindow::Command4_Click() {
  gather(false, [](const SrParser& parser, QListWidget& list) {
    if (!parser.mailfiles) return;
    for (const auto& part : *parser.mailfiles)
      if (OnlineEntry::isSound(part->Filename)) list.addItem(shown(part->Filename));
  });
}

void MessageWindow::Command5_Click() {
  gather(false, [](const SrParser& parser, QListWidget& list) {
    for (const std::string& link : parser.OnlineSound)
      if (OnlineEntry::isSound(link)) list.addItem(shown(link));
  });
}

void MessageWindow::mnuchecksound_Click() {
  gather(true, [](const SrParser& parser, QListWidget& list) {
    if (!parser.mailfiles) return;
    for (const auto& part : *parser.mailfiles)
      if (OnlineEntry::isSound(part->Filename)) list.addItem(shown(part->Filename));
  });
}

void MessageWindow::mnupopuplists_Click() {
  gather(true, [](const SrParser& parser, QListWidget& list) {
    for (const std::string& link : parser.OnlineSound)
      if (OnlineEntry::isSound(link)) list.addItem(shown(link));
  });
}

void MessageWindow::mnucheckOnlinefont_Click() {
  gather(true, [](const SrParser& parser, QListWidget& list) {
    for (const std::string& link : parser.OnlineFont)
      if (OnlineEntry::isFont(link)) list.addItem(shown(link));
  });
}

void MessageWindow::gather(bool selectedOnly, const Collector& collect) {
  if (check_) return;  // List2 holds the links being checked
  runWalk(selectedOnly, [&](SrParser& parser) {
    collect(parser, *List2);
    Label10->setText(QString::number(List2->count()));
    return true;
  });
}

// --- The walk

void MessageWindow::runWalk(bool selectedOnly, const std::function<bool(SrParser&)>& step) {
  if (walkRunning_) return;
  setWalkRunning(true);
  walkReport->hide();
  openOutput->hide();
  ++loadTicket_;  // a message still loading must not add its parts to the walk's list
  if (!check_) List2->clear();
  PBar1->show();
  PBar2->show();
  // A copy of the list: rows refilled or clicked while the walk yields change nothing here.
  const std::vector<MessageRows::Row> walked = rows.snapshot();
  PBar2->setMaximum(std::max<int>(1, static_cast<int>(walked.size())));
  int index = 0;
  for (const MessageRows::Row& row : walked) {
    PBar2->setValue(++index);
    if (row.record && (row.selected || !selectedOnly)) {
      // Each message is parsed and written by its own parser, whatever a click on List1
      // makes of `pars` while the walk yields.
      auto parser = newParser();
      parser->Source = messageText(*row.record);
      parser->identify_mailheader(parser->Source);
      if (!yield()) return;
      parser->Getall(parser->Source);
      if (!yield()) return;
      step(*parser);
    }
    Label10->setText(QString::number(List2->count()));
  }
  Label10->setText(QString::number(List2->count()));
  PBar1->setValue(0);
  PBar2->setValue(0);
  PBar1->hide();
  PBar2->hide();
  setWalkRunning(false);
}

void MessageWindow::setWalkRunning(bool running) {
  walkRunning_ = running;
  updateCommands();
}

void MessageWindow::updateCommands() {
  const bool listFree = !walkRunning_ && !check_;
  Command14->setEnabled(!walkRunning_);
  menus->mnuExtract->setEnabled(!walkRunning_);
  for (QPushButton* command : {Command4, Command5}) command->setEnabled(listFree);
  menus->mnucheckforsounds->setEnabled(listFree);
  menus->mnuCheckOnlineverify->setEnabled(listFree);
}

}  // namespace mailvane
