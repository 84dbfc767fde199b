#pragma once
// A one-line progress display on the error stream, drawn only when that stream is a
// terminal so that logs and pipes get nothing but the error lines.

#include <cstddef>
#include <string_view>

#include "cli/Command.h"

namespace mailvane::cli {

class ProgressLine {
 public:
  ProgressLine(Streams& io, size_t total) : io_(io), total_(total) {}
  ~ProgressLine() { clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void show(size_t done, std::string_view label);
  // Wipes the line, so that an error line that follows starts at the left margin.
  void clear();

 private:
  Streams& io_;
  size_t total_;
  bool drawn_ = false;
};

}  // namespace mailvane::cli
