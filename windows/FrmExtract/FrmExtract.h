#pragma once
// The personal folders window, "Extract from OE Folders": lists the folders of the mail
// client's own message store and the messages of the folder clicked, and writes a
// folder of files for each selected message (StoreMessageWriter). It reads the store
// through the message-store library, not through the engine's parser.
//
// Everything runs on the window thread. A folder listing yields to the window system
// about every 16 ms, so a large folder lists while the window answers; a click on
// another folder, or on the reply filter, takes over from a listing under way. A batch
// works from the selection it started with and yields after each message, so "Cancel"
// stops it once the current message is written.

#include <QWidget>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "store/FolderEntry.h"
#include "store/StoreMessage.h"
#include "windows/FrmExtract/ExtractedMessage.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace mailvane {
namespace system {
class FolderPicker;
class Settings;
}  // namespace system

class EdgewiseVert;
class ExtractionWalk;

class FrmExtract : public QWidget {
  Q_OBJECT

 public:
  // Settings from the user's store (QtSettings) unless given.
  explicit FrmExtract(QWidget* parent = nullptr);
  explicit FrmExtract(std::unique_ptr<system::Settings> settings, QWidget* parent = nullptr);
  ~FrmExtract() override;

  // Replaces the folder dialog (tests answer it themselves).
  void setFolderPicker(std::unique_ptr<system::FolderPicker> picker);
  // The store the window reads; empty when none was found.
  const std::filesystem::path& storeRoot() const { return storeRoot_; }
  // A folder listing is under way (yielding between its messages).
  bool listing() const { return listingTicket_ != 0 && listingTicket_ == listTicket_; }
  bool extracting() const { return Extracting; }

  // The rule's state.
  store::FolderId Currentfolder = 0;
  bool Extracting = false;
  bool Messagebusy = false;
  // The message being extracted (source, HTML body, parts).
  ExtractedMessage current;

 public slots:
  void List1_Click();
  void Check2_Click();
  void Command4_Click();
  void Command5_Click();
  void Command6_Click();
  void Command7_Click();
  // Lets the user point the window at a store folder of their choice.
  void chooseStore_Click();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // One selected row as the batch saw it when it started.
  struct Job {
    int row = 0;
    std::string subject;  // UTF-8, as listed
    store::MessageId id = 0;
  };

  void createControls();
  void buildLayout();
  void connectHandlers();
  void Form_Load();
  void openStore(std::filesystem::path root);
  void fillFolders();
  void showStoreState(int folders);
  void showCount();
  void setBatchRunning(bool running);
  bool yield();

  std::vector<Job> selectedJobs() const;
  // Extracts one message; what failed, empty when every file was written.
  std::vector<std::string> extractMessage(const Job& job, const std::filesystem::path& storeRoot,
                                          store::FolderId folder,
                                          const std::filesystem::path& output,
                                          ExtractionWalk& names);
  void reportFailures(const QStringList& failures);

  std::unique_ptr<system::Settings> settings_;
  std::unique_ptr<system::FolderPicker> picker_;
  std::filesystem::path storeRoot_;
  int listTicket_ = 0;     // the listing that owns List2
  int listingTicket_ = 0;  // the listing under way, 0 when none
  bool closing_ = false;

  QLabel* storeLabel;
  QPushButton* chooseStore;
  QLabel* Label1;
  QListWidget* List1;
  QLabel* Label2;
  QListWidget* List2;
  QLabel* Label4;
  QCheckBox* Check2;
  QLabel* Label5;
  QRadioButton* Option1;
  QRadioButton* Option2;
  QRadioButton* Option3;
  QRadioButton* Option4;
  QCheckBox* ChcHtml;
  QCheckBox* Check1;
  QLabel* Label6;
  QLineEdit* Text2;
  QPushButton* Command4;
  QPushButton* Command5;
  QPushButton* Command7;
  QPushButton* Command6;
  EdgewiseVert* EV1;
  EdgewiseVert* EV2;
};

}  // namespace mailvane
