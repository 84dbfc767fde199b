#include "windows/FrmExtract/UnsentSource.h"

#include "system/CodePage.h"

namespace mailvane {
namespace {

constexpr std::string_view kMimeVersion = "MIME-version:";
constexpr std::string_view kBoundary = "boundary=\"";
constexpr std::string_view kPreamble = "This is a multi-part message in MIME format.";
// "X-MSMail-Priority" without spaces: a name with spaces is no header field at all, so a
// mail reader would end the header there and never see "X-Unsent: 1".
constexpr std::string_view kUnsentLines =
    "\r\nX-Priority: 3\r\nX-MSMail-Priority: Normal\r\nX-Unsent: 1\r\n"
    "X-MIMEOLE: Produced By Microsoft MimeOLE V6.00.2900.2962\r\n\r\n";

}  // namespace

std::string UnsentSource::rewrite(std::string_view source) {
  const size_t mime = system::findNoCase(source, kMimeVersion);
  if (mime == std::string_view::npos) return std::string(source);
  const std::string_view text = source.substr(mime);
  // Without a quoted boundary the closing quote is looked for from where it would stand
  // after a boundary at the very start, so a quote of another parameter may be taken.
  const size_t boundary = text.find(kBoundary);
  const size_t from =
      boundary == std::string_view::npos ? kBoundary.size() - 1 : boundary + kBoundary.size();
  const size_t quote = text.find('"', from);
  if (quote == std::string_view::npos) return std::string(text);
  const size_t preamble = text.find(kPreamble, quote);
  if (preamble == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size() + kUnsentLines.size());
  out.append(text.substr(0, quote + 1)).append(kUnsentLines).append(text.substr(preamble));
  return out;
}

}  // namespace mailvane
