// How the reported files reach the list: queued by Filecreated, looked at by the poll
// timer, listed by Addcreated.
#include <QFile>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>

#include "windows/FrmListen/FrmListen.h"
#include "windows/family/SettingsPanel.h"

namespace mailvane {

void FrmListen::Filecreated(const QString& path, const QString&) {
  const QString ending = path.right(4).toLower();
  if (ending != QLatin1String(".eml") && ending != QLatin1String(".nws")) return;
  const std::string file = QFile::encodeName(path).toStdString();
  if (listed_.count(file)) return;
  arrivals_.add(file, ArrivalQueue::Clock::now());
  if (!Timer1->isActive()) Timer1->start();
}

void FrmListen::setPollTiming(std::chrono::milliseconds interval,
                              std::chrono::milliseconds giveUp) {
  Timer1->setInterval(interval);
  arrivals_.setGiveUp(giveUp);
}

void FrmListen::Timer1_Timer() {
  // Showing the newest message yields, and the timer may fire meanwhile.
  if (ticking_) return;
  const std::vector<std::string> ready = arrivals_.takeReady(ArrivalQueue::Clock::now());
  if (arrivals_.empty()) Timer1->stop();
  if (ready.empty()) return;
  ticking_ = true;
  const QPointer<FrmListen> self(this);
  Addcreated(ready);
  if (self) ticking_ = false;
}

void FrmListen::Addcreated(const std::vector<std::string>& files) {
  for (const std::string& file : files) listFile(file);
  showListCount();
  PBar1->setValue(0);
  PBar1->hide();
  PBar2->setValue(0);
  PBar2->hide();
  selectNewest();
}

bool FrmListen::listFile(const std::string& file) {
  if (listed_.count(file)) return false;
  const std::optional<std::string> subject = listedSubject(file);
  if (!subject) return false;
  std::string shown = MessageRows::shownSubject(*subject);
  if (shown.empty() || (Picture2->replyFilter() && MessageRows::isReply(shown))) return false;
  rows.addRows({{std::move(shown), file}});
  listed_.insert(file);
  return true;
}

void FrmListen::selectNewest() {
  if (List1->count() == 0) return;
  if (const auto newest = rows.recordForRow(List1->count() - 1)) showListed(newest->LiveFileID);
}

}  // namespace mailvane
