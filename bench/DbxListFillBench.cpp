// Opens a generated .dbx file of many messages in the DBX window (offscreen): how long
// the list takes to fill, the longest time a click would have waited meanwhile (a 5 ms
// timer runs throughout), and the memory the window holds against the file's size.
//
//   bench_dbx_list_fill [messages=100000] [bytes per message=2048]
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QProgressBar>
#include <QTimer>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "controls/MsgBox.h"
#include "system/MemorySettings.h"
#include "system/SettingsKeys.h"
#include "tests/plugins/toolbench/DbxBuilder.h"
#include "windows/FrmDbxExtract/FrmDbxExtract.h"
#include "windows/family/PreviewScheme.h"

namespace fs = std::filesystem;
using namespace mailvane;

namespace {

// Built in a child process, so the builder's copy of the file never counts as the
// window's memory.
void makeFile(const fs::path& file, int count, size_t bytes) {
  if (fs::exists(file)) return;
  const pid_t child = ::fork();
  if (child == 0) {
    std::vector<std::string> texts;
    texts.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      std::string text = "From: Ann <ann@example.org>\r\nSubject: " +
                         std::string(i % 5 == 0 ? "Re: " : "") + "Note " + std::to_string(i) +
                         "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain\r\n\r\n";
      text.resize(bytes, 'x');
      texts.push_back(std::move(text));
    }
    dbx::test::DbxBuilder::messages(texts).save(file);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
}

long residentKb() {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  PreviewScheme::prepareWebEngine();
  QApplication app(argc, argv);
  const int messages = argc > 1 ? std::atoi(argv[1]) : 100000;
  const size_t bytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 2048;
  const fs::path file = fs::temp_directory_path() / ("mailvane-dbx-fill-" + std::to_string(messages) +
                                                     "x" + std::to_string(bytes) + ".dbx");
  makeFile(file, messages, bytes);
  { std::ifstream warm(file, std::ios::binary); std::vector<char> chunk(1 << 20); while (warm.read(chunk.data(), chunk.size())) {} }

  auto store = std::make_unique<system::MemorySettings>();
  store->setValue(system::kEmails, fs::temp_directory_path().string());
  FrmDbxExtract window(std::move(store));
  window.show();
  QCoreApplication::processEvents();
  auto* list1 = window.findChild<QListWidget*>(QStringLiteral("List1"));
  const long before = residentKb();

  QElapsedTimer clock, gapClock;
  qint64 longestGap = 0;
  QTimer ticks;
  QObject::connect(&ticks, &QTimer::timeout, [&] { longestGap = std::max(longestGap, gapClock.restart()); });
  gapClock.start();
  ticks.start(5);
  clock.start();
  MsgBox::answerNextWith(QMessageBox::Ok);  // a damaged file is reported, not waited on
  window.openDbx(QString::fromStdString(file.string()));
  const qint64 fillMs = clock.elapsed();
  ticks.stop();
  const long after = residentKb();

  std::printf("%d messages of %zu bytes (%.0f MB file): fill %lld ms (%d rows, %.0f rows/s), "
              "longest wait for a click %lld ms\n",
              messages, bytes, static_cast<double>(fs::file_size(file)) / 1e6,
              static_cast<long long>(fillMs), list1->count(),
              fillMs > 0 ? 1000.0 * list1->count() / static_cast<double>(fillMs) : 0.0,
              static_cast<long long>(longestGap));
  for (const MsgBox::Shown& box : MsgBox::answered())
    std::printf("reported: %s\n", box.text.toStdString().c_str());
  std::printf("resident memory: %ld KB before opening, %ld KB after the fill (+%ld KB)\n", before,
              after, after - before);
  return 0;
}
