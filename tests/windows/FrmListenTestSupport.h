#pragma once
// The listener window over store folders that a test makes below the profile folder, with
// registry entries naming them, watching through the real folder-watch plug-in.

#include <QObject>
#include <QProgressBar>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>

#include "controls/NetClass.h"
#include "tests/windows/FrmLiveTestSupport.h"
#include "windows/FrmListen/FrmListen.h"

namespace mailvane::test {

// Another receiver of the plug-in's reports: once it has heard of a file, the watch has
// seen it.
class Witness : public QObject {
  Q_OBJECT
 public:
  Q_INVOKABLE void Filecreated(const QString& path, const QString&) { heard << path; }
  QStringList heard;
};

class FrmListenFixture : public MessageWindowFixture<FrmListen> {
 protected:
  static constexpr std::chrono::milliseconds kQuickPoll{50};
  static constexpr int kWaitMs = 60000;

  void SetUp() override {
    MessageWindowFixture::SetUp();
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    std::replace(name.begin(), name.end(), '/', '_');
    stores_ = home() / "stores" / name;
    fs::remove_all(stores_);
    fs::create_directories(stores_);
  }
  void TearDown() override {
    witnessHost_.reset();
    MessageWindowFixture::TearDown();
    fs::remove(registryFile());
    fs::remove_all(stores_);
  }

  static fs::path home() { return qgetenv("HOME").toStdString(); }
  static fs::path registryFile() { return qgetenv("MAILVANE_REGISTRY").toStdString(); }
  fs::path liveStore() const { return stores_ / "Live Mail"; }
  fs::path mailStore() const { return stores_ / "Mail"; }

  // Registry entries naming a Windows Live Mail and a Windows Mail store below the
  // profile folder, as the clients write them; the folders exist when asked.
  void registerStores(bool live, bool mail, bool makeFolders = true) {
    std::string hive = "WINE REGISTRY Version 2\n";
    const auto entry = [&](const char* client, const fs::path& folder) {
      if (makeFolders) fs::create_directories(folder);
      std::string below = fs::relative(folder, home()).string();
      std::string windows;
      for (char c : below) windows += c == '/' ? std::string("\\\\") : std::string(1, c);
      hive += std::string("\n[Software\\\\Microsoft\\\\") + client + "] 1\n" +
              "\"Store Root\"=str(2):\"%USERPROFILE%\\\\" + windows + "\"\n";
    };
    if (live) entry("Windows Live Mail", liveStore());
    if (mail) entry("Windows Mail", mailStore());
    writeBytes(registryFile(), hive);
  }

  void openListener(const std::map<std::string, std::string>& preset = {}) {
    open(preset);
    window->watchHost()->setProgramFolder(QStringLiteral(MAILVANE_BIN_DIR));
    window->setPollTiming(kQuickPoll, ArrivalQueue::kGiveUp);
  }
  void run() {
    ASSERT_FALSE(window->listening());
    window->Command6->click();
    ASSERT_TRUE(window->listening()) << window->listenState->text().toStdString();
  }

  // A message the way a mail client stores it: written under a temporary name, then
  // renamed to its own.
  static fs::path deliver(const fs::path& file, const std::string& text) {
    fs::path temporary = file;
    temporary.replace_extension(".tmp");
    writeBytes(temporary, text);
    fs::rename(temporary, file);
    return file;
  }

  bool waitForRows(int count) {
    return QTest::qWaitFor([&] { return list1()->count() >= count; }, kWaitMs);
  }
  // The newest row is selected and its message is the one on show.
  void expectNewestShown(const QString& subject) {
    const int last = list1()->count() - 1;
    ASSERT_GE(last, 0);
    EXPECT_EQ(list1()->currentRow(), last);
    EXPECT_EQ(list1()->selectedItems().size(), 1);
    EXPECT_TRUE(list1()->item(last)->isSelected());
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return window->parser().Subject == subject.toStdString(); }, kWaitMs))
        << "shown: " << window->parser().Subject;
    EXPECT_TRUE(child<QPlainTextEdit>("R1")->toPlainText().contains("Subject: " + subject));
  }

  // A second watch on folder, reporting to witness.
  void witnessOn(const fs::path& folder) {
    witnessHost_ = std::make_unique<NetClass>();
    witnessHost_->setProgramFolder(QStringLiteral(MAILVANE_BIN_DIR));
    witnessHost_->setSetClass(QStringLiteral("Newswatch.Newswatch"));
    witnessHost_->setSetAssamblyfile(QStringLiteral("Newswatch.dll"));
    witnessHost_->setSetlocation(QStringLiteral("plugin"));
    ASSERT_TRUE(witnessHost_->Run()) << witnessHost_->lastError().toStdString();
    ASSERT_TRUE(witnessHost_->call("AddFilecreated", {QVariant::fromValue<QObject*>(&witness)}));
    ASSERT_TRUE(witnessHost_->setMember("Path", QString::fromStdString(folder.string())));
    ASSERT_TRUE(witnessHost_->setMember("IncludeSubdir", true));
    ASSERT_TRUE(witnessHost_->setMember("Run", true));
  }
  // Waits until the witness has heard of file; by then any watch would have reported it.
  bool heard(const fs::path& file) {
    const QString path = QString::fromStdString(file.string());
    return QTest::qWaitFor([&] { return witness.heard.contains(path); }, kWaitMs);
  }

  fs::path stores_;
  Witness witness;
  std::unique_ptr<NetClass> witnessHost_;
};

}  // namespace mailvane::test
