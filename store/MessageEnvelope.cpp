#include "store/MessageEnvelope.h"

#include <time.h>

#include <algorithm>
#include <cstdio>

#include "store/GMimeSupport.h"
#include "store/HeaderScan.h"

namespace mailvane::store {

namespace {

// Dates before the epoch or beyond four-digit years are damage, not history.
constexpr int64_t kLatest = 253402300799;  // 9999-12-31 23:59:59 UTC

std::optional<int64_t> parseDate(const std::string& value) {
  if (value.empty()) return std::nullopt;
  parserOptions();  // GMime set up
  GDateTime* parsed = g_mime_utils_header_decode_date(value.c_str());
  if (!parsed) return std::nullopt;
  const int64_t seconds = g_date_time_to_unix(parsed);
  g_date_time_unref(parsed);
  // GMime answers an unreadable date with the epoch itself.
  if (seconds <= 0 || seconds > kLatest) return std::nullopt;
  return seconds;
}

bool fitsFromLine(std::string_view address) {
  if (address.empty() || address.size() > 256) return false;
  for (char c : address) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F || c == '<' || c == '>' || c == '"') return false;
  }
  return true;
}

// The address inside "<...>", else the first word holding an "@".
std::string addressOf(std::string_view value) {
  const size_t open = value.rfind('<');
  if (open != std::string_view::npos) {
    const size_t close = value.find('>', open);
    if (close != std::string_view::npos) {
      const std::string_view inside = value.substr(open + 1, close - open - 1);
      return fitsFromLine(inside) ? std::string(inside) : std::string();
    }
  }
  size_t start = 0;
  while (start < value.size()) {
    const size_t end = std::min(value.find_first_of(" \t,", start), value.size());
    const std::string_view word = value.substr(start, end - start);
    if (word.find('@') != std::string_view::npos && fitsFromLine(word)) return std::string(word);
    start = end + 1;
  }
  return {};
}

}  // namespace

MessageEnvelope envelopeOf(std::string_view headerBlock) {
  MessageEnvelope envelope;
  envelope.date = parseDate(fieldOf(headerBlock, "date"));
  envelope.sender = addressOf(fieldOf(headerBlock, "from"));
  return envelope;
}

std::string asctimeUtc(int64_t seconds) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const time_t at = static_cast<time_t>(seconds < 0 ? 0 : seconds > kLatest ? kLatest : seconds);
  struct tm utc {};
  gmtime_r(&at, &utc);
  char text[40];
  std::snprintf(text, sizeof text, "%s %s %2d %02d:%02d:%02d %04d", kDays[utc.tm_wday % 7],
                kMonths[utc.tm_mon % 12], utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                utc.tm_year + 1900);
  return text;
}

}  // namespace mailvane::store
