#include "cli/ProgressLine.h"

#include <ostream>
#include <string>

namespace mailvane::cli {
namespace {
// Long labels are shown by their end, where the file name is.
constexpr size_t kLabelWidth = 60;
}  // namespace

void ProgressLine::show(size_t done, std::string_view label) {
  if (!io_.errIsTerminal) return;
  if (label.size() > kLabelWidth) label = label.substr(label.size() - kLabelWidth);
  io_.err << "\r\033[K[" << done << '/' << total_ << "] " << label << std::flush;
  drawn_ = true;
}

void ProgressLine::clear() {
  if (!drawn_) return;
  io_.err << "\r\033[K" << std::flush;
  drawn_ = false;
}

}  // namespace mailvane::cli
