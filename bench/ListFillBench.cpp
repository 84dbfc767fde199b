// Lists a generated folder of messages in the folder window (offscreen) and times the
// fill against the way it used to run: every file read whole, one yield, one list
// insertion, one count label and one progress step per message. A 5 ms timer runs
// throughout; its longest gap is how long a click would have waited.
//
//   bench_list_fill [messages=10000] [KB per message=40] [folder] [new-only]
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "codecs/Base64.h"
#include "engine/SrParser.h"
#include "system/MemorySettings.h"
#include "system/SettingsKeys.h"
#include "windows/FrmLive/FolderBrowser.h"
#include "windows/FrmLive/FrmLive.h"
#include "windows/family/FamilyHelpers.h"
#include "windows/family/MessageRows.h"
#include "windows/family/PreviewScheme.h"

namespace fs = std::filesystem;
using namespace mailvane;

namespace {

// Outlook Express style: header, quoted-printable HTML, base64 pictures to the size.
void makeFolder(const fs::path& folder, int count, size_t bytes) {
  fs::create_directories(folder);
  std::mt19937 rng(3);
  std::string picture(bytes * 3 / 4, '\0');
  for (auto& c : picture) c = static_cast<char>(rng());
  const std::string encoded = Base64().EncodeArr(picture);
  for (int i = 0; i < count; ++i) {
    const fs::path file = folder / ("message" + std::to_string(100000 + i) + ".eml");
    if (fs::exists(file)) continue;
    std::ofstream out(file, std::ios::binary);
    out << "From: \"Ann\" <ann@example.org>\r\nTo: bob@example.org\r\nSubject: "
        << (i % 5 == 0 ? "Re: " : "") << "Holiday pictures " << i
        << "\r\nDate: Mon, 1 May 2006 10:00:00 +0200\r\nMIME-Version: 1.0\r\n"
           "Content-Type: multipart/related;\r\n\ttype=\"multipart/alternative\";\r\n"
           "\tboundary=\"----=_NextPart_000_0001\"\r\nX-Mailer: Microsoft Outlook Express 6.00\r\n\r\n"
           "This is a multi-part message in MIME format.\r\n\r\n------=_NextPart_000_0001\r\n"
           "Content-Type: text/html;\r\n\tcharset=\"iso-8859-1\"\r\n"
           "Content-Transfer-Encoding: quoted-printable\r\n\r\n<HTML><BODY>Hi=20there<IMG src=3D\"cid:p@x\">"
           "</BODY></HTML>\r\n\r\n------=_NextPart_000_0001\r\nContent-Type: image/jpeg;\r\n\tname=\"p.jpg\"\r\n"
           "Content-Transfer-Encoding: base64\r\nContent-ID: <p@x>\r\n\r\n"
        << encoded << "\r\n\r\n------=_NextPart_000_0001--\r\n";
  }
}

long peakKb() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The longest gap between the ticks of a 5 ms timer while it runs.
class ClickLatency {
 public:
  ClickLatency() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const qint64 gap = clock_.restart();
      if (gap > longest_) {
        longest_ = gap;
        at_ = total_.elapsed();
      }
    });
  }
  void start() {
    longest_ = 0;
    clock_.start();
    total_.start();
    timer_.start(5);
  }
  // When the longest gap ended, in ms from the start.
  qint64 at() const { return at_; }
  qint64 stop() {
    timer_.stop();
    return longest_;
  }

 private:
  QTimer timer_;
  QElapsedTimer clock_, total_;
  qint64 longest_ = 0, at_ = 0;
};

// The fill as it ran before: per message a yield, a whole read, a row and a repaint.
int oldFill(const fs::path& folder, QListWidget& list, QLabel& count, QProgressBar& bar) {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(folder)) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  bar.setMaximum(static_cast<int>(files.size()));
  for (size_t i = 0; i < files.size(); ++i) {
    bar.setValue(static_cast<int>(i + 1));
    QCoreApplication::processEvents();
    const std::string text = FamilyHelpers::readWhole(files[i]);
    if (text.find("Subject:") != std::string::npos) {
      const std::string subject = MessageRows::shownSubject(SrParser::Getit("Subject:", "\r\n", text));
      if (!subject.empty()) list.addItem(MessageRows::rowText(subject));
    }
    count.setText(QString::number(list.count()));
  }
  return list.count();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  PreviewScheme::prepareWebEngine();
  QApplication app(argc, argv);
  const int messages = argc > 1 ? std::atoi(argv[1]) : 10000;
  const size_t kb = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 40;
  const fs::path folder = argc > 3 ? fs::path(argv[3])
                                   : fs::temp_directory_path() / ("mailvane-list-fill-" +
                                                                  std::to_string(messages) + "x" +
                                                                  std::to_string(kb) + "k");
  makeFolder(folder, messages, kb * 1024);
  // Warm the page cache for both runs alike.
  for (const auto& e : fs::directory_iterator(folder)) (void)FamilyHelpers::readWhole(e.path());

  ClickLatency latency;
  auto store = std::make_unique<system::MemorySettings>();
  store->setValue(system::kEmails, fs::temp_directory_path().string());
  FrmLive window(std::move(store));
  window.show();
  auto* list1 = window.findChild<QListWidget*>(QStringLiteral("List1"));
  auto* bar = window.findChild<QProgressBar*>(QStringLiteral("PBar2"));
  const long before = peakKb();
  QElapsedTimer clock;
  latency.start();
  clock.start();
  window.folders()->setPath(QString::fromStdString(folder.string()));
  while (bar->isVisible() || list1->count() == 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  const qint64 fillMs = clock.elapsed();
  const qint64 fillGap = latency.stop();
  const qint64 fillGapAt = latency.at();
  const long after = peakKb();
  // Again, once the folder tree has taken in the folder: a refill by the reply filter.
  auto* replies = window.findChild<QCheckBox*>(QStringLiteral("Check1"));
  latency.start();
  clock.restart();
  replies->click();
  while (bar->isVisible() || list1->count() == 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  const qint64 refillMs = clock.elapsed();
  const qint64 refillGap = latency.stop();
  std::printf("refill without replies: %lld ms (%d rows), longest wait for a click %lld ms\n",
              static_cast<long long>(refillMs), list1->count(), static_cast<long long>(refillGap));

  QWidget oldWindow;
  QListWidget oldList(&oldWindow);
  QLabel oldCount(&oldWindow);
  QProgressBar oldBar(&oldWindow);
  oldWindow.show();
  latency.start();
  clock.restart();
  const int oldRows = argc > 4 ? 0 : oldFill(folder, oldList, oldCount, oldBar);
  const qint64 oldMs = clock.elapsed();
  const qint64 oldGap = latency.stop();

  std::printf("%d messages of %zu KB: fill %lld ms (%d rows), longest wait for a click %lld ms "
              "(ending %lld ms in)\n",
              messages, kb, static_cast<long long>(fillMs), list1->count(),
              static_cast<long long>(fillGap), static_cast<long long>(fillGapAt));
  std::printf("previous way: %lld ms (%d rows), longest wait %lld ms; ratio %.1fx\n",
              static_cast<long long>(oldMs), oldRows, static_cast<long long>(oldGap),
              fillMs > 0 ? static_cast<double>(oldMs) / static_cast<double>(fillMs) : 0.0);
  std::printf("peak memory: %ld KB before the fill, %ld KB after it\n", before, after);
  return 0;
}
