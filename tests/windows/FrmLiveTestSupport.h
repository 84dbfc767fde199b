#pragma once
// The program's windows over a temporary folder, with their settings in memory and their
// output below the same folder; a message window (the folder window unless another is
// named) also over a folder of messages there.

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
inline void PrintTo(const QUrl& url, std::ostream* out) {
  *out << url.toString().toStdString();
}

namespace mailvane::test {

namespace fs = std::filesystem;
using Preset = std::map<std::string, std::string>;

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

// A small CR LF message; the body goes in as given.
inline std::string message(const std::string& subject,
                           const std::string& from = "Ann <ann@example.org>",
                           const std::string& body = "Hello.\r\n") {
  return "From: " + from + "\r\nTo: bob@example.org\r\nSubject: " + subject +
         "\r\nDate: Mon, 1 May 2006 10:00:00 +0200\r\nMIME-Version: 1.0\r\n"
         "Content-Type: text/plain;\r\n\tcharset=\"iso-8859-1\"\r\n"
         "Content-Transfer-Encoding: 7bit\r\nX-Mailer: Test Mailer 1.0\r\n\r\n" +
         body;
}

template <typename Window>
class WindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp.isValid());
    fs::create_directories(base());
    MsgBox::clearAnswered();
  }
  void TearDown() override {
    window.reset();
    MsgBox::clearAnswered();
  }

  fs::path root() const { return temp.path().toStdString(); }
  fs::path base() const { return root() / "out"; }
  fs::path output() const { return base() / "Emails"; }

  // Settings in memory: the output base, then preset over it.
  std::unique_ptr<system::MemorySettings> newSettings(const Preset& preset = {}) {
    auto store = std::make_unique<system::MemorySettings>();
    store->setValue(system::kEmails, base().string());
    for (const auto& [key, value] : preset) store->setValue(key, value);
    settings = store.get();
    return store;
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
  static QStringList rows(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
  }

  QTemporaryDir temp;
  system::MemorySettings* settings = nullptr;
  std::unique_ptr<Window> window;
};

template <typename Window>
class MessageWindowFixture : public WindowFixture<Window> {
 protected:
  void SetUp() override {
    WindowFixture<Window>::SetUp();
    fs::create_directories(folder());
  }

  fs::path folder() const { return this->root() / "messages"; }

  // Opens the window, or a W that a test reaches into, with settings preset.
  template <typename W = Window>
  W* open(const Preset& preset = {}) {
    auto made = std::make_unique<W>(this->newSettings(preset));
    W* opened = made.get();
    this->window = std::move(made);
    return opened;
  }
  void showFolder() {
    ASSERT_TRUE(this->window->folders()->setPath(QString::fromStdString(folder().string())));
  }
  void openOn(const Preset& preset = {}) {
    open(preset);
    showFolder();
  }

  void selectRows(std::initializer_list<int> selected) {
    this->list1()->clearSelection();
    for (int row : selected) this->list1()->item(row)->setSelected(true);
  }
  void trigger(const char* action) { this->template child<QAction>(action)->trigger(); }
  void click(const char* button) { this->template child<QPushButton>(button)->click(); }
};

using FrmLiveFixture = MessageWindowFixture<FrmLive>;

}  // namespace mailvane::test
