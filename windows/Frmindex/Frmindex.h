#pragma once
// The search window, "Search in Indexed News": its list comes from the search index
// instead of a folder. It lists every news message the index knows when it opens, then
// the ones whose subject or file name holds the words typed into its search panel; the
// messages are previewed, checked and extracted as in every message window. While it is
// open, the index is brought up to date on a thread of its own, and the list follows
// when that ends.

#include <QStringList>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "windows/Frmindex/IndexSearch.h"
#include "windows/Frmindex/IndexStatus.h"
#include "windows/family/MessageWindow.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace mailvane {

class clsTooltips;
class IndexFolders;
class IndexKeeper;

class Frmindex : public MessageWindow {
  Q_OBJECT

 public:
  // Settings from the user's store and the index in the cache folder unless given.
  explicit Frmindex(QWidget* parent = nullptr);
  Frmindex(std::unique_ptr<system::Settings> settings, std::filesystem::path indexFile,
           QWidget* parent = nullptr);
  ~Frmindex() override;

  // A scan of the index folders runs, or has ended and the list is still to follow.
  bool indexing() const;
  IndexFolders* indexFolders() const { return folders_; }
  clsTooltips* searchTip() const { return tip_; }

  QFrame* Picture7;
  QLineEdit* Text2;
  QPushButton* Command1;
  QPushButton* Command6;
  QLabel* indexStatus;

 public slots:
  void Command1_Click();
  void Command6_Click();

 protected:
  // Runs the search of the words in Text2.
  void LoadList() override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Form_Load();
  QWidget* searchPane();
  void search(const std::string& words);
  void showFound(const std::string& words, IndexSearch::Result found);
  void startIndexing();
  void indexingEnded();
  void indexFoldersChanged(const QStringList& removed);
  void showStatus();

  IndexSearch index_;
  IndexStatus status_;
  std::string lastWords_;  // of the search the list shows
  std::vector<ListFill::Entry> lastFound_;
  IndexKeeper* keeper_;
  IndexFolders* folders_;
  clsTooltips* tip_;
  bool reopened_ = false;  // closed since the last scan started
};

}  // namespace mailvane
