#pragma once
// The DBX window, "Extract from Outlook Express Dbx files": the user opens an Outlook
// Express .dbx message folder, the DBX plug-in reads it once, and from then on hands out
// each message by its number, which the list's records keep in place of a path. The rest
// is the family's: listing, views, extraction, sounds and fonts.

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "windows/family/MessageWindow.h"

class QLabel;
class QPushButton;

namespace mailvane {

class FrmDbxExtract : public MessageWindow {
  Q_OBJECT

 public:
  // Asks for the .dbx file to open, starting at startFolder; "" when cancelled.
  using FileChooser = std::function<QString(QWidget* parent, const QString& startFolder)>;

  // Settings from the user's store (QtSettings) unless given.
  explicit FrmDbxExtract(QWidget* parent = nullptr);
  explicit FrmDbxExtract(std::unique_ptr<system::Settings> settings, QWidget* parent = nullptr);

  // Opens a .dbx file as "Open" does once its dialog has answered: a file whose name does
  // not end in ".dbx" is ignored; one the plug-in cannot read is named in a message box
  // and leaves the window as it was. False in both cases.
  bool openDbx(const QString& file);
  // Replaces the open dialog (tests answer it themselves).
  void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
  // The file the list comes from ("" before one is opened).
  const QString& openedFile() const { return opened_; }

  // The number of messages the plug-in reported for the open file.
  int32_t Msgcount = 0;

 public slots:
  void Command18_Click();

 protected:
  void LoadList() override;
  std::string messageText(const MSlivemsgs& record) override;

 private:
  QWidget* sourcePane();
  void renameMenus();
  NetClass* newDbxHost();
  // Fills the list from the plug-in; false when a newer fill or closing stopped it.
  bool fill();
  // Message `number` from the plug-in; "" when it cannot be read.
  std::string Extract(const QVariant& number);

  QPushButton* Command18;
  QLabel* fileLabel_;
  FileChooser chooser_;
  QString opened_;
  int unreadable_ = 0;  // messages of the last fill the plug-in could not read
  int openTicket_ = 0;  // the "Open" that owns the window
};

}  // namespace mailvane
