#pragma once
// A search window over an index of a temporary tree of news and mail files, made by the
// real indexer, with its settings in memory and its output below the same folder.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <ostream>
#include <string>

#include "controls/MsgBox.h"
#include "index/IndexDatabase.h"
#include "index/IndexLocations.h"
#include "index/Indexer.h"
#include "system/BrowseForFolder.h"
#include "system/MemorySettings.h"
#include "system/SettingsKeys.h"
#include "windows/Frmindex/Frmindex.h"

// Readable values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace mailvane::test {

namespace fs = std::filesystem;

inline void writeFile(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

inline std::string readText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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

class FrmindexFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp.isValid());
    fs::create_directories(news());
    MsgBox::clearAnswered();
  }
  void TearDown() override {
    window.reset();
    MsgBox::clearAnswered();
  }

  fs::path root() const { return temp.path().toStdString(); }
  fs::path news() const { return root() / "news"; }
  fs::path output() const { return root() / "out" / "Emails"; }
  fs::path indexFile() const { return root() / "cache" / "index.sqlite"; }

  void write(const std::string& name, const std::string& subject) {
    writeFile(news() / name, newsMessage(subject));
  }
  // Indexes the tree now, as an earlier run of the indexer would have.
  void indexTree() {
    index::IndexDatabase db;
    ASSERT_TRUE(db.open(indexFile())) << db.error();
    index::Indexer(db).scan({news()});
  }

  // Opens the window over the tree and waits until its own scan has ended.
  void open(const std::map<std::string, std::string>& preset = {}, fs::path file = {}) {
    auto store = std::make_unique<system::MemorySettings>();
    store->setValue(system::kEmails, (root() / "out").string());
    store->setValue(index::kIndexRoots, news().string());
    for (const auto& [key, value] : preset) store->setValue(key, value);
    settings = store.get();
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

  QListWidget* list1() const { return window->findChild<QListWidget*>(QStringLiteral("List1")); }
  QString text(const char* label) const {
    return window->findChild<QLabel*>(QLatin1String(label))->text();
  }
  QString status() const { return window->indexStatus->text(); }
  QStringList rows() const {
    QStringList texts;
    for (int i = 0; i < list1()->count(); ++i) texts << list1()->item(i)->text();
    return texts;
  }

  QTemporaryDir temp;
  system::MemorySettings* settings = nullptr;
  std::unique_ptr<Frmindex> window;
};

}  // namespace mailvane::test
