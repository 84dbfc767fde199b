#pragma once
// SrParser: the message conversion engine. One object per message shown; it parses the
// raw text of a stored message into header fields, plain text, rebuilt HTML, a list of
// encoded parts and the web links to sounds and fonts, and writes them out on request.
//
// All text is bytes of the user's single-byte code page (see system/CodePage.h). The
// engine never shows anything: failures come back as results or through the reporter.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/KeyedList.h"
#include "engine/Records.h"
#include "engine/SharedText.h"

namespace mailvane {
namespace engine {
class BoundarySet;
}

class SrParser {
 public:
  SrParser();

  // --- Public fields, read by the windows after the calls below.
  std::shared_ptr<bodyFiles> mailfiles;  // null until the first Getall
  std::string From;
  std::string returnpath;
  std::string Contenttransferencoding;
  std::string too;
  std::string maildate;
  std::string Subject;
  std::string MailSize;
  SharedText Text;
  std::string Html;
  std::string Xmailer;
  std::string grenze;
  // The message as stored. Parts found by Getall(Source) share these bytes rather than
  // copy them, and keep them alive when Source is given the next message.
  SharedText Source;
  std::string Mimeversion;
  std::string Lines;
  KeyedList<std::string> OnlineSound;  // grows over every message this object parses
  KeyedList<std::string> OnlineFont;

  // Raised once per MIME segment by Getall and once per part by Saveattachments.
  std::function<void(int32_t percent)> Progress;
  // Told when quoted-printable decoding fails; the desktop shows it as a message box.
  std::function<void(const std::string& description)> DecodeErrorReporter;

  // --- Operations.
  std::string Decodespes1(std::string& text);
  std::string Cleanheader() const;
  // Writes what Cleanheader returns, as Save does, without building it in memory; false
  // when there is no copy to write (the boundary does not occur twice) or writing failed.
  bool SaveCleanheader(const std::filesystem::path& path, std::string* error = nullptr) const;
  // Writes every file of the mode, going on past a file that cannot be written; false when
  // any could not be written whole (none is left cut off), with the reason in SaveError.
  bool Saveattachments(const std::filesystem::path& folder, int16_t mode);
  std::string SaveError;  // why the last Saveattachments failed (UTF-8, for people)
  void Save(const std::filesystem::path& path, std::string_view text) const;
  std::string Fixfilename(std::string_view name) const;
  void Getall(std::string_view message);
  void identify_mailheader(std::string_view message);
  std::string gethtml(std::string_view message);

  // The value of a header-like field: the text after `field` up to `endMarker`.
  static std::string Getit(std::string_view field, std::string_view endMarker,
                           std::string_view text);
  // "1.50 KB" style size text, with the decimal separator of the user's locale.
  static std::string Formatsize(int32_t n);

  // Saveattachments modes.
  static constexpr int16_t kModeSoundsOnly = 1;
  static constexpr int16_t kModeHtmlOnly = 2;
  static constexpr int16_t kModeTextOnly = 3;
  static constexpr int16_t kModeAll = 5;
  static constexpr int16_t kModeAllNoText = 6;

  // Exposed for tests and the other engine pieces.
  std::string deQuote(std::string_view text) const;
  static std::string Hexchar(std::string_view h);
  void Findsounds(std::string_view html, size_t start);
  void Findfonts(std::string_view html, size_t start);

  // The plain-text body; nullopt when it cannot be found (Text then stays as it was).
  std::optional<std::string> Gettextpart(std::string_view message) const;
  // The html without base tags; nullopt when a base tag is not closed.
  static std::optional<std::string> Removebase(std::string_view html);
  // Points every "cid:" reference of html at the Filename of the part it names.
  std::string Fixcid(std::string_view html) const;

 private:
  void raiseProgress(int32_t percent);
  // identify_mailheader on text whose lines end in CR LF; storedSize is the size of the
  // message as stored.
  void readHeaderFields(std::string_view message, size_t storedSize);
  std::optional<SharedText> textPart(std::string_view message, const SharedText& owner,
                                     const engine::BoundarySet& boundaries) const;

  int32_t progressDivisor_ = 0;
  int32_t lastPercent_ = 0;
};

}  // namespace mailvane
