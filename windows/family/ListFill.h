#pragma once
// ListFill: fills a window's message list from many messages without keeping the user
// waiting. Rows are gathered and added to the list in batches, and the window yields to
// the window system by time (about every 16 ms) rather than after every message, so the
// fill runs at the speed of reading the files while the window still answers each click
// at once. A fill that a newer one overtakes, or whose window closes, stops at its next
// yield.

#include <QElapsedTimer>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QProgressBar;

namespace mailvane {

class MessageRows;

class ListFill {
 public:
  struct Entry {
    std::string subject;  // as read (code-page bytes); shown on one line
    std::string liveFileID;
  };
  // The entry of message i, or nullopt when it gets no row.
  using Source = std::function<std::optional<Entry>(size_t index)>;
  // Told at each yield; false when the fill must stop (the window closed or another
  // fill took over).
  using Yield = std::function<bool()>;

  static constexpr int kSliceMs = 16;

  ListFill(MessageRows& rows, QProgressBar* bar, std::function<void()> showCount, Yield yield);

  // Lists count messages, leaving replies out when asked; false when stopped.
  bool run(size_t count, bool skipReplies, const Source& entry);

 private:
  bool pause(size_t done);

  MessageRows& rows_;
  QProgressBar* bar_;
  std::function<void()> showCount_;
  Yield yield_;
  std::vector<std::pair<std::string, std::string>> pending_;
  QElapsedTimer slice_;
};

}  // namespace mailvane
