#pragma once
// MessageWindow: what the message windows share. Each keeps a list of messages (List1
// beside its records), a parser `pars` for the message on show, the header labels, the
// parts list List2, four views of the message, the settings panel and the commands that
// walk the selected messages to extract or gather them.
//
// The windows differ in where their list comes from (LoadList), where a message's text
// comes from (messageText), what stands beside the list (the source pane given to
// assembleLayout) and which commands they offer (Traits).
//
// Everything runs on the window thread and yields to the window system between steps.
// A load that a newer click overtakes stops; a walk parses every message with a parser
// of its own and writes from it, and no second walk starts while one runs: the walk
// commands are disabled until it ends.
//
// The existence check of the links in List2 asks their servers a few at a time and
// does not hold the window: every other command stays usable, but List2 belongs to the
// check until it ends, so no gathering walk and no second check starts meanwhile.

#include <QVariant>
#include <QWidget>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/ExtractionWalk.h"
#include "engine/SrParser.h"
#include "windows/family/ListFill.h"
#include "windows/family/MessageRows.h"

class QFrame;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QUrl;
class QWebEngineView;

namespace mailvane {
namespace system {
class FolderPicker;
class Settings;
}  // namespace system

class ClickLabel;
class HeaderLabel;
class NetClass;
class PopupMenus;
class PreviewBrowser;
class SettingsPanel;
class SizeProbe;
class SoundPanel;

class MessageWindow : public QWidget {
  Q_OBJECT

 public:
  // Which of the shared commands a window offers.
  struct Traits {
    bool listCommands = true;   // a click on List1 loads; Check1, Command4, Command5
    bool storesChoices = true;  // Check1, Check2, Check3 and the options store their clicks
    bool storeJumps = true;     // mnumicrosoft jumps to the mail clients' stores
    bool refillOnReplyFilter = true;  // a click on Check1 fills the list again at once
  };

  ~MessageWindow() override;

  // --- Public helpers of the family.
  // Yields to the window system once, then reads the whole file ("" on failure).
  std::string OpenFile(const std::string& path);
  void Save(const std::string& path, const std::string& text);
  std::string Getit(const std::string& start, const std::string& end, const std::string& text);
  QVariant loadBag(const std::string& path);
  // The size the server announces for a link (code-page text, surrounding blanks
  // removed), or 0; yields to the window system until the answer is in.
  int32_t Netgetsize(const std::string& url);
  // A size request of this window is waiting for its server.
  bool Netbusy() const;
  // Makes the listed message with this LiveFileID the current row, which loads and shows
  // it; false when it is not listed.
  bool showListed(const std::string& liveFileID);

  // The parser of the message on show, and the folder extraction writes below.
  const SrParser& parser() const { return *pars; }
  const std::filesystem::path& outputFolder() const { return Outputfolder; }
  bool walkRunning() const { return walkRunning_; }
  bool checkRunning() const { return check_ != nullptr; }
  // How long a size request may wait for its server (30 s unless set).
  void setOnlineTimeout(std::chrono::milliseconds timeout);
  // Replaces the folder dialog (tests answer it themselves).
  void setFolderPicker(std::unique_ptr<system::FolderPicker> picker);
  // Hands a link or folder to the desktop (its browser, mail program or file manager);
  // QDesktopServices unless replaced (tests record what would have opened).
  using DesktopOpener = std::function<void(const QUrl&)>;
  void setDesktopOpener(DesktopOpener opener);

 public slots:
  void List1_Click();
  void Command9_Click();
  void Command10_Click();
  void Command11_Click();
  void Command13_Click();
  void Command14_Click();
  void mnuExtractAll_Click();
  void mnuExtractHtml_Click();
  void mnuExtracttxt_Click();
  void mnuExtractSoundsOnly_Click();
  void Command4_Click();
  void Command5_Click();
  void mnuchecksound_Click();
  void mnupopuplists_Click();
  void mnucheckOnlinefont_Click();
  void mnuCheckOnlineverify_Click();
  void MNUDOWLOAD_Click();
  void mnudownloadeot_Click();
  void mnuplay_Click();
  void mnustop_Click();
  void mnugotoLive_Click();
  void mnugotoMail_Click();
  void Label18_Click();
  void Command3_Click();
  void Command17_Click();
  void pars_Progress(int32_t percent);

 protected:
  MessageWindow(const QString& caption, Traits traits,
                std::unique_ptr<system::Settings> settings, QWidget* parent);

  // --- Hooks where the windows differ.
  // Fills List1 and Msglist from the window's source, starting with clearList().
  virtual void LoadList() = 0;
  // The raw text of one message; by default the file named by LiveFileID.
  virtual std::string messageText(const MSlivemsgs& record);
  // The subject a message is listed under (nullopt: no row); by default read from the
  // header block of the file named by liveFileID, the whole file only when needed.
  virtual std::optional<std::string> listedSubject(const std::string& liveFileID);
  // Shows a mail client's store folder that a store jump found.
  virtual void showStoreFolder(const std::filesystem::path& folder);

  // Places the shared controls around the window's own source pane.
  void assembleLayout(QWidget* sourcePane);
  // Adds a widget under List1 (after assembleLayout), such as a line about the list's source.
  void addUnderList(QWidget* widget);
  // The shared part of opening: the blank preview, the stored settings and the output
  // folder. Call once the window's list can be filled.
  void loadFamilySettings();

  // A fresh parser, reporting to this window, which becomes `pars`.
  std::shared_ptr<SrParser> newParser();
  // Yields to the window system; false when the window was closed meanwhile (the
  // caller must then return without touching the window).
  bool yield();
  system::Settings& settings() { return *settings_; }
  // List1's row count in Label21.
  void showListCount();
  // Empties List1 and its records before a fill, and with them everything shown of the
  // message on show (header labels, parts, views), so no view describes a message that
  // is no longer listed.
  void clearList();
  // Clears the list and fills it from count messages (ListFill: batched rows, a yield
  // about every 16 ms), with the reply filter of the settings panel; a newer fill takes
  // over at the next yield. False when this fill was stopped.
  bool fillList(size_t count, const ListFill::Source& entry);

  std::shared_ptr<SrParser> pars;
  MessageRows rows;
  int fillTicket_ = 0;      // the fill that owns the list
  std::string listBuffer_;  // reused by listedSubject from file to file
  MSLIve& Msglist;
  std::filesystem::path Outputfolder;
  bool Previewtoggle = false;

  QListWidget* List1;
  QLabel* Label20;
  QLabel* Label21;
  QListWidget* List2;
  QLabel* Label9;
  QLabel* Label10;
  QLabel* Label3;
  HeaderLabel* Label4;
  QLabel* Label7;
  HeaderLabel* Label8;
  QLabel* Label5;
  HeaderLabel* Label6;
  QLabel* Label13;
  HeaderLabel* Label1;
  QLabel* Label14;
  HeaderLabel* Label11;
  QLabel* Label15;
  HeaderLabel* Label12;
  QLabel* Label16;
  HeaderLabel* Label2;
  QWebEngineView* W1;
  QPlainTextEdit* R1;
  QPushButton* Command9;
  QPushButton* Command10;
  QPushButton* Command11;
  QPushButton* Command13;
  QPushButton* Command14;
  QPushButton* Command4;
  QPushButton* Command5;
  QProgressBar* PBar1;
  QProgressBar* PBar2;
  SettingsPanel* Picture2;
  ClickLabel* Label18;
  ClickLabel* Label19;
  SoundPanel* Psound1;
  QPushButton* Command17;
  // The download plug-in's hosts, and which of them takes the sounds and which the
  // fonts (NetClass1 and NetClass2 unless a window needs its first host for another
  // plug-in).
  NetClass* NetClass1;
  NetClass* NetClass2;
  NetClass* soundDownloads;
  NetClass* fontDownloads;
  // What the last extraction wrote, and the way to its folder.
  QLabel* walkReport;
  QPushButton* openOutput;
  PopupMenus* menus;

  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  using Collector = std::function<void(const SrParser&, QListWidget&)>;
  struct OnlineCheck;

  void createControls();
  void createHeaderLabels();
  void connectHandlers();
  QWidget* detailsPane();
  QWidget* viewsPane();
  QWidget* commandBar();

  void showText(std::string_view codePageText);
  void showHeaderLabels();
  void clearShownMessage();
  void fillPartsList(const SrParser& parser, int ticket);
  void List1_MouseDown(const QPoint& at);
  void List2_MouseDown(const QPoint& at);
  void jumpToStore(std::string_view subkey);

  // The walk shared by the extraction and gathering commands.
  void runWalk(bool selectedOnly, const std::function<bool(SrParser&)>& step);
  void extract(ExtractionChoice choice);
  void gather(bool selectedOnly, const Collector& collect);
  void setWalkRunning(bool running);
  // Enables each walk and check command unless a running walk or check forbids it.
  void updateCommands();
  void reportFailures(const QStringList& failures);
  void reportWalk(int written, int failed);

  // The existence check and the downloads of the links in List2.
  void continueCheck();
  void finishCheck();
  void download(NetClass& host, const QString& kind, bool (*counts)(std::string_view));
  void endRowProgress();

  Traits traits_;
  std::unique_ptr<system::Settings> settings_;
  std::unique_ptr<system::FolderPicker> picker_;
  DesktopOpener opener_;
  std::unique_ptr<PreviewBrowser> preview_;
  SizeProbe* sizes_;
  std::shared_ptr<OnlineCheck> check_;
  int loadTicket_ = 0;
  bool walkRunning_ = false;
  bool closing_ = false;
};

}  // namespace mailvane
