#include "cli/ProgressLine.h"

#include <ostream>
#include <string>

#include "cli/TerminalText.h"

namespace mailvane::cli {
namespace {
// Long labels are shown by their end, where the file name is.
constexpr size_t kLabelWidth = 60;
}  // namespace

void ProgressLine::show(size_t done, std::string_view label) {
  if (!io_.errIsTerminal) return;
  if (label.size() > kLabelWidth) {
    label = label.substr(label.size() - kLabelWidth);
    // Never from the middle of a UTF-8 character, which the terminal would show as junk.
    while (!label.empty() && (static_cast<unsigned char>(label.front()) & 0xC0) == 0x80)
      label.remove_prefix(1);
  }
  // A file name is any bytes: its control characters must not reach the terminal as
  // commands.
  io_.err << "\r\033[K[" << done << '/' << total_ << "] " << printable(std::string(label))
          << std::flush;
  drawn_ = true;
}

void ProgressLine::clear() {
  if (!drawn_) return;
  io_.err << "\r\033[K" << std::flush;
  drawn_ = false;
}

}  // namespace mailvane::cli
