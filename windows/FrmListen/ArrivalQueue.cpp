#include "windows/FrmListen/ArrivalQueue.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace mailvane {

ArrivalQueue::ArrivalQueue(SizeOf sizeOf) : sizeOf_(std::move(sizeOf)) {}

std::optional<std::uintmax_t> ArrivalQueue::fileSize(const std::string& path) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return std::nullopt;
  return size;
}

bool ArrivalQueue::add(const std::string& path, Clock::time_point now) {
  const bool waiting = std::any_of(waiting_.begin(), waiting_.end(),
                                   [&](const Waiting& file) { return file.path == path; });
  if (waiting) return false;
  // A file renamed into place is complete when it is reported, and is ready at the
  // first look.
  waiting_.push_back(Waiting{path, sizeOf_(path), now});
  return true;
}

std::vector<std::string> ArrivalQueue::takeReady(Clock::time_point now) {
  std::vector<std::string> ready;
  std::deque<Waiting> still;
  bool heldBack = false;
  for (Waiting& file : waiting_) {
    const std::optional<std::uintmax_t> size = sizeOf_(file.path);
    if (!size) continue;  // deleted or renamed away: its new name is reported anew
    // A file still being written holds back the ones reported after it: a client writes
    // a batch one file after another, and the list keeps that order.
    if (*size > 0 && size == file.size && !heldBack) {
      ready.push_back(std::move(file.path));
      continue;
    }
    if (size != file.size) {
      file.size = size;
      file.changed = now;
    } else if (*size == 0 && now - file.changed >= giveUp_) {
      continue;  // empty all along
    }
    heldBack = true;
    still.push_back(std::move(file));
  }
  waiting_ = std::move(still);
  return ready;
}

}  // namespace mailvane
