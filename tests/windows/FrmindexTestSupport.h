#pragma once
// A search window over an index of a temporary tree of news and mail files, made by the
// real indexer, with its settings in memory and its output below the same folder.

#include <QLineEdit>
#include <QTest>

#include "index/IndexDatabase.h"
#include "index/IndexLocations.h"
#include "index/Indexer.h"
#include "system/BrowseForFolder.h"
#include "tests/windows/FrmLiveTestSupport.h"
#include "windows/Frmindex/Frmindex.h"

namespace mailvane::test {

inline std::string newsMessage(const std::string& subject) {
  return "From: Ann <ann@example.org>\r\nNewsgroups: alt.test\r\nSubject: " + subject +
         "\r\nDate: Mon, 1 May 2006 10:00:00 +0200\r\nMIME-Version: 1.0\r\n"
         "Content-Type: text/plain; charset=\"iso-8859-1\"\r\n\r\nHello from " +
         subject + ".\r\n";
}

// Answers the folder dialog with a fixed folder.
class AnsweringPicker : public system::FolderPicker {
 public:
  explicit AnsweringPicker(std::string folder) : folder_(std::move(folder)) {}

 protected:
  std::string showFolderDialog(const std::string&, const std::string&) override { return folder_; }

 private:
  std::string folder_;
};

class FrmindexFixture : public WindowFixture<Frmindex> {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    fs::create_directories(news());
  }

  fs::path news() const { return root() / "news"; }
  fs::path indexFile() const { return root() / "cache" / "index.sqlite"; }

  void write(const std::string& name, const std::string& subject) {
    writeBytes(news() / name, newsMessage(subject));
  }
  // Indexes the tree now, as an earlier run of the indexer would have.
  void indexTree() {
    index::IndexDatabase db;
    ASSERT_TRUE(db.open(indexFile())) << db.error();
    index::Indexer(db).scan({news()});
  }

  // Opens the window over the tree and waits until its own scan has ended.
  void open(const Preset& preset = {}, fs::path file = {}) {
    auto store = newSettings(preset);
    store->setValue(index::kIndexRoots, news().string());
    window = std::make_unique<Frmindex>(std::move(store), file.empty() ? indexFile() : file);
    waitForIndexing();
  }
  // Until the window has heard that its scan ended, and has refreshed its list.
  void waitForIndexing() {
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->indexing(); }, 60000));
  }

  void searchFor(const QString& words) {
    if (window->Picture7->isHidden()) window->Command6->click();
    window->Text2->setText(words);
    window->Command1->click();
  }

  QString status() const { return window->indexStatus->text(); }
  using WindowFixture::rows;
  QStringList rows() const { return rows(list1()); }
};

}  // namespace mailvane::test
