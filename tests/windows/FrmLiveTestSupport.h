#pragma once
// A message window (the folder window unless another is named) over a temporary folder
// of messages, with its settings in memory and its output below the same temporary folder.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QUrl>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <ostream>
#include <string>

#include "controls/MsgBox.h"
#include "system/MemorySettings.h"
#include "system/SettingsKeys.h"
#include "windows/FrmLive/FolderBrowser.h"
#include "windows/FrmLive/FrmLive.h"

// Readable values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QUrl& url, std::ostream* out) { *out << url.toString().toStdString(); }

namespace mailvane::test {

namespace fs = std::filesystem;

inline std::string readBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeBytes(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

// Every file below root with its bytes, keyed by its path relative to root.
inline std::map<std::string, std::string> treeOf(const fs::path& root) {
  std::map<std::string, std::string> tree;
  if (!fs::exists(root)) return tree;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file())
      tree[fs::relative(entry.path(), root).generic_string()] = readBytes(entry.path());
  return tree;
}

// A small CR LF message; extraHeader and body go in as given.
inline std::string message(const std::string& subject, const std::string& from = "Ann <ann@example.org>",
                           const std::string& body = "Hello.\r\n") {
  return "From: " + from + "\r\nTo: bob@example.org\r\nSubject: " + subject +
         "\r\nDate: Mon, 1 May 2006 10:00:00 +0200\r\nMIME-Version: 1.0\r\n"
         "Content-Type: text/plain;\r\n\tcharset=\"iso-8859-1\"\r\n"
         "Content-Transfer-Encoding: 7bit\r\nX-Mailer: Test Mailer 1.0\r\n\r\n" + body;
}

template <typename Window>
class MessageWindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp.isValid());
    fs::create_directories(folder());
    fs::create_directories(base());
    MsgBox::clearAnswered();
  }
  void TearDown() override {
    window.reset();
    MsgBox::clearAnswered();
  }

  fs::path root() const { return temp.path().toStdString(); }
  fs::path folder() const { return root() / "messages"; }
  fs::path base() const { return root() / "out"; }
  fs::path output() const { return base() / "Emails"; }

  // Opens the window with settings preset; the output base is base().
  void open(const std::map<std::string, std::string>& preset = {}) {
    auto store = std::make_unique<system::MemorySettings>();
    store->setValue(system::kEmails, base().string());
    for (const auto& [key, value] : preset) store->setValue(key, value);
    settings = store.get();
    window = std::make_unique<Window>(std::move(store));
  }
  void showFolder() { ASSERT_TRUE(window->folders()->setPath(QString::fromStdString(folder().string()))); }
  void openOn(const std::map<std::string, std::string>& preset = {}) {
    open(preset);
    showFolder();
  }

  template <typename T>
  T* child(const char* name) const {
    T* found = window->template findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QListWidget* list1() const { return child<QListWidget>("List1"); }
  QListWidget* list2() const { return child<QListWidget>("List2"); }
  QString text(const char* label) const { return child<QLabel>(label)->text(); }
  QStringList rows(const QListWidget* list) const {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
  }
  void selectRows(std::initializer_list<int> selected) {
    list1()->clearSelection();
    for (int row : selected) list1()->item(row)->setSelected(true);
  }
  void trigger(const char* action) { child<QAction>(action)->trigger(); }

  QTemporaryDir temp;
  system::MemorySettings* settings = nullptr;
  std::unique_ptr<Window> window;
};

using FrmLiveFixture = MessageWindowFixture<FrmLive>;

}  // namespace mailvane::test
