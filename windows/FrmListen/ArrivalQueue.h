#pragma once
// The files a folder watch reported, waiting until their writer is done with them. A mail
// client creates a message file and fills it afterwards, sometimes in several writes, and
// when it fetches it writes a whole batch at once: so every reported file waits here, in
// the order reported, until it has content that did not change since the previous look,
// and is handed out in that order. A file that is gone at a look is dropped, and so is
// one that stays empty for the give-up time, so that one stuck file can neither keep the
// window polling forever nor hold back the files after it for longer.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mailvane {

class ArrivalQueue {
 public:
  using Clock = std::chrono::steady_clock;
  // The size of a file in bytes, or nullopt when it does not exist (any more).
  using SizeOf = std::function<std::optional<std::uintmax_t>(const std::string& path)>;

  static constexpr std::chrono::milliseconds kGiveUp{60000};

  explicit ArrivalQueue(SizeOf sizeOf = fileSize);

  void setGiveUp(std::chrono::milliseconds giveUp) { giveUp_ = giveUp; }

  // Queues a reported file; false when it is already waiting.
  bool add(const std::string& path, Clock::time_point now);
  // Looks at every waiting file once and forgets the gone and the stuck ones. Returns the
  // ready files up to the first one that is not ready yet, in the order reported.
  std::vector<std::string> takeReady(Clock::time_point now);

  bool empty() const { return waiting_.empty(); }
  std::size_t size() const { return waiting_.size(); }
  void clear() { waiting_.clear(); }

  static std::optional<std::uintmax_t> fileSize(const std::string& path);

 private:
  struct Waiting {
    std::string path;
    std::optional<std::uintmax_t> size;  // at the last look
    Clock::time_point changed;           // when that size was first seen
  };

  SizeOf sizeOf_;
  std::chrono::milliseconds giveUp_ = kGiveUp;
  std::deque<Waiting> waiting_;
};

}  // namespace mailvane
