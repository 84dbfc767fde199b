#pragma once
// The listener window, "Listen on Windows Live or Windows Mail folders": watches the store
// folder of Windows Live Mail or Windows Mail while the mail client runs, and lists each
// message file the client writes below it as soon as the file is complete, selecting the
// newest so that it is shown at once. The folder-watch plug-in reports the files; the
// views, extraction, sounds and fonts are the family's.

#include <QMessageBox>
#include <QString>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "windows/FrmListen/ArrivalQueue.h"
#include "windows/family/MessageWindow.h"

class QFrame;
class QLabel;
class QPushButton;
class QTimer;

namespace mailvane {

class clsTooltips;

class FrmListen : public MessageWindow {
  Q_OBJECT

 public:
  static constexpr std::chrono::milliseconds kPollInterval{1500};

  // Settings from the user's store (QtSettings) unless given.
  explicit FrmListen(QWidget* parent = nullptr);
  explicit FrmListen(std::unique_ptr<system::Settings> settings, QWidget* parent = nullptr);
  ~FrmListen() override;

  // Called by the folder-watch plug-in, by name and on the window thread, for every file
  // created below the watched folder: queues a message file (.eml, .nws) to be listed
  // once it is complete. The name is not used.
  Q_INVOKABLE void Filecreated(const QString& path, const QString& name);
  // Lists the files in order (a file listed before, a reply while replies are left out
  // and a message without a subject get no row), then selects the last row of the list,
  // which loads and shows it.
  void Addcreated(const std::vector<std::string>& files);

  // How often the reported files are looked at, and how long one may stay empty before
  // it is given up (kPollInterval and ArrivalQueue::kGiveUp unless set).
  void setPollTiming(std::chrono::milliseconds interval, std::chrono::milliseconds giveUp);
  const std::filesystem::path& listenPath() const { return Listenpath; }
  bool listening() const { return Listening; }
  std::size_t waitingFiles() const { return arrivals_.size(); }
  NetClass* watchHost() const { return NetClass3; }
  clsTooltips* switchTip() const { return tip_; }

  QFrame* Picture7;
  QLabel* Label22;
  QPushButton* Label23;
  QPushButton* Command6;
  QLabel* listenState;
  QTimer* Timer1;
  NetClass* NetClass3;

 public slots:
  void Command6_Click();
  void Label23_Click();
  void Timer1_Timer();

 protected:
  // The list only grows as files arrive: there is nothing to fill it from again.
  void LoadList() override {}
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private slots:
  void watchProblem(const QString& message);

 private:
  void Form_Load();
  QWidget* sourcePane();
  NetClass* newWatchHost();
  void showClient(const QString& client, const std::filesystem::path& store);
  void switchClient(std::string_view client, const QString& notFound, QMessageBox::Icon icon);
  void startWatch();
  void stopWatch();
  void showState(const QString& problem = {});
  // Adds the row of one file; false when it gets none.
  bool listFile(const std::string& file);
  void selectNewest();

  std::filesystem::path Listenpath;
  bool Listening = false;
  ArrivalQueue arrivals_;
  std::unordered_set<std::string> listed_;  // LiveFileIDs of the rows
  clsTooltips* tip_ = nullptr;
  bool storeMissing_ = false;  // said once the window is on screen
  bool ticking_ = false;
};

}  // namespace mailvane
