#include "windows/family/ListFill.h"

#include <QProgressBar>

#include "windows/family/MessageRows.h"

namespace mailvane {

ListFill::ListFill(MessageRows& rows, QProgressBar* bar, std::function<void()> showCount, Yield yield)
    : rows_(rows), bar_(bar), showCount_(std::move(showCount)), yield_(std::move(yield)) {}

bool ListFill::run(size_t count, bool skipReplies, const Source& entry) {
  if (count > 0) {
    bar_->setMaximum(static_cast<int>(count));
    bar_->show();
  }
  slice_.start();
  // The first yield comes at once, so a click that started the fill is handled first.
  if (!pause(0)) return false;
  for (size_t i = 0; i < count; ++i) {
    if (auto row = entry(i)) {
      std::string shown = MessageRows::shownSubject(row->subject);
      if (!shown.empty() && !(skipReplies && MessageRows::isReply(shown)))
        pending_.emplace_back(std::move(shown), std::move(row->liveFileID));
    }
    if (slice_.elapsed() >= kSliceMs && !pause(i + 1)) return false;
  }
  rows_.addRows(pending_);
  pending_.clear();
  showCount_();
  bar_->setValue(0);
  bar_->hide();
  return true;
}

bool ListFill::pause(size_t done) {
  rows_.addRows(pending_);
  pending_.clear();
  bar_->setValue(static_cast<int>(done));
  showCount_();
  if (!yield_()) return false;
  slice_.restart();
  return true;
}

}  // namespace mailvane
