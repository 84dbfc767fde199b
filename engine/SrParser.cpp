#include "engine/SrParser.h"

#include <algorithm>
#include <array>
#include <limits>

#include "engine/AttachmentWriter.h"
#include "engine/BoundarySet.h"
#include "engine/FileNameCleaner.h"
#include "engine/HtmlRebuilder.h"
#include "engine/LinkScanner.h"
#include "engine/PartNames.h"
#include "engine/PartScanner.h"
#include "engine/QuotedPrintable.h"
#include "engine/RuleText.h"
#include "engine/SizeText.h"
#include "engine/StructureParts.h"
#include "engine/TextFinder.h"
#include "engine/TextOps.h"
#include "engine/TextPartReader.h"
#include "engine/UnsentCopy.h"

namespace mailvane {

using engine::kCrLf;
using engine::npos;

SrParser::SrParser() = default;

// --- Header fields

std::string SrParser::Getit(std::string_view field, std::string_view endMarker,
                            std::string_view text) {
  return engine::fieldValue(field, endMarker, text);
}

std::string SrParser::Formatsize(int32_t n) { return engine::SizeText::format(n); }

void SrParser::identify_mailheader(std::string_view message) {
  if (engine::RuleText::hasBareLf(message))
    return readHeaderFields(engine::RuleText::of(SharedText(message)).text(), message.size());
  readHeaderFields(message, message.size());
}

void SrParser::readHeaderFields(std::string_view message, size_t storedSize) {
  struct Field {
    std::string_view name;
    std::string_view end;
    std::string* value;
  };
  const Field fields[] = {{"From:", kCrLf, &From},
                          {"To:", kCrLf, &too},
                          {"Return-Path:", kCrLf, &returnpath},
                          {"Date:", kCrLf, &maildate},
                          {"Subject:", kCrLf, &Subject},
                          {"MIME-Version:", kCrLf, &Mimeversion},
                          {"Lines:", kCrLf, &Lines},
                          {"boundary=\"", "\"", &grenze},
                          {"X-Mailer:", kCrLf, &Xmailer},
                          {"X-Newsreader:", kCrLf, &Xmailer},
                          {"Content-transfer-encoding:", kCrLf, &Contenttransferencoding}};
  constexpr size_t kCount = std::size(fields);
  // Each field is looked up alone and on a line of its own (its value on the next line);
  // all of them in one sweep, as most are missing and each miss reads the whole message.
  std::array<std::string, kCount> wrappedNames;
  std::array<std::string_view, 2 * kCount + 1> needles;
  for (size_t i = 0; i < kCount; ++i) {
    wrappedNames[i] = std::string(fields[i].name) + std::string(fields[i].end);
    needles[i] = fields[i].name;
    needles[kCount + i] = wrappedNames[i];
  }
  // The message counts as having a boundary on "boundary=" even without the quote.
  needles[2 * kCount] = "boundary=";
  const std::vector<size_t> found = engine::TextFinder::findEach(message, needles, ':');
  auto has = [&](size_t needle) { return found[needle] != npos; };
  auto read = [&](size_t i) {
    *fields[i].value = engine::fieldValue(fields[i].name, fields[i].end, message, found[i],
                                          found[kCount + i]);
  };
  constexpr size_t kBoundary = 7, kMailer = 8, kNewsreader = 9;
  for (size_t i = 0; i < kBoundary; ++i)
    if (has(i)) read(i);
  if (has(2 * kCount)) read(kBoundary);
  if (has(kMailer))
    read(kMailer);
  else if (has(kNewsreader))
    read(kNewsreader);
  else
    Xmailer = "Email client unknown!";
  if (has(kCount - 1)) read(kCount - 1);
  constexpr size_t kMaxSize = std::numeric_limits<int32_t>::max();
  MailSize = Formatsize(static_cast<int32_t>(std::min(storedSize, kMaxSize)));
}

// --- Quoted-printable

std::string SrParser::Hexchar(std::string_view h) { return engine::QuotedPrintable::hexChar(h); }

std::string SrParser::deQuote(std::string_view text) const {
  try {
    return engine::QuotedPrintable::decode(text);
  } catch (const std::exception& e) {
    if (DecodeErrorReporter) DecodeErrorReporter(e.what());
    return std::string(text);
  }
}

std::string SrParser::Decodespes1(std::string& text) {
  text = deQuote(text);
  return engine::QuotedPrintable::decodeAccents(text);
}

// --- HTML

std::string SrParser::gethtml(std::string_view message) {
  auto quoted = [this](std::string_view cut) { return deQuote(cut); };
  if (auto html = engine::HtmlRebuilder::cutDocument(message, quoted)) return *html;
  // Clients that send their HTML in base64 leave no "<htm" in the raw text. The decoded
  // body is not quoted-printable, so it is cut and cleaned without decoding it again.
  if (auto decoded = engine::HtmlRebuilder::base64HtmlBody(message)) {
    auto asIs = [](std::string_view cut) { return std::string(cut); };
    if (auto html = engine::HtmlRebuilder::cutDocument(*decoded, asIs)) return *html;
  }
  return {};
}

std::optional<std::string> SrParser::Removebase(std::string_view html) {
  return engine::HtmlRebuilder::removeBase(html);
}

std::string SrParser::Fixcid(std::string_view html) const {
  if (!mailfiles || mailfiles->Count() == 0) return std::string(html);
  std::vector<std::pair<std::string, std::string>> parts;
  for (const auto& part : *mailfiles) parts.emplace_back(part->contID, part->Filename);
  return engine::HtmlRebuilder::fixCid(html, parts);
}

// --- Parsing

void SrParser::raiseProgress(int32_t percent) {
  lastPercent_ = percent;
  if (Progress) Progress(percent);
}

std::optional<std::string> SrParser::Gettextpart(std::string_view message) const {
  auto text = textPart(message, SharedText(), engine::BoundarySet(message));
  if (!text) return std::nullopt;
  return text->str();
}

std::optional<SharedText> SrParser::textPart(std::string_view message, const SharedText& owner,
                                             const engine::BoundarySet& boundaries) const {
  auto quoted = [this](std::string_view text) { return deQuote(text); };
  return engine::TextPartReader(message, owner, boundaries).read(quoted);
}

void SrParser::Getall(std::string_view message) {
  // Parts share the bytes of Source; a message from elsewhere is copied once so they can.
  const SharedText stored = Source.holds(message) ? Source.slice(message) : SharedText(message);
  // The rules read every line as ending in CR LF; the structure pass and the bytes of
  // the part files keep the message as stored.
  const engine::RuleText ruled = engine::RuleText::of(stored);
  const std::string_view text = ruled.text();
  readHeaderFields(text, stored.size());
  Html = gethtml(text);
  // Collecting the boundaries is a pass over the whole message; the text part and the
  // part scan share one set.
  const engine::BoundarySet boundaries(text);
  if (auto body = textPart(text, ruled.text(), boundaries)) Text = std::move(*body);

  mailfiles = std::make_shared<bodyFiles>();
  // Content-Location lines name the web page a part came from; dropped, their names never
  // pass for the part's name.
  constexpr std::string_view kContentLocation = "Content-Location:";
  std::optional<engine::RuleText> filtered;
  if (engine::TextFinder::findNoCase(text, kContentLocation) != engine::npos)
    filtered = engine::RuleText::of(stored, kContentLocation);
  const engine::RuleText& scanned = filtered ? *filtered : ruled;
  engine::PartNames names;
  engine::PartScanner scanner(scanned.text(), boundaries, names);
  auto records = scanner.scan([this](size_t index, size_t last) {
    progressDivisor_ = static_cast<int32_t>(last);
    // With a single segment there is nothing to divide by; the last figure stands.
    raiseProgress(last == 0 ? lastPercent_
                            : engine::roundedPercent(static_cast<long long>(index),
                                                     static_cast<long long>(last)));
  });
  std::vector<std::pair<size_t, size_t>> held;
  for (auto& record : records) {
    if (!record->BaseContent.empty() && scanned.text().holds(record->BaseContent)) {
      held.push_back(scanned.storedRange(record->BaseContent));
      // A 7bit part's file holds its bytes as stored, line ends included.
      if (!ruled.isStored() && record->encoding == "7bit")
        record->BaseContent = scanned.storedSlice(record->BaseContent);
    }
    mailfiles->Add(std::move(record));
  }
  for (auto& record : engine::StructureParts(stored, std::move(held), names).collect())
    mailfiles->Add(std::move(record));

  Html = Fixcid(Html);
  Findsounds(Html, 0);
  Findfonts(Html, 0);
}

void SrParser::Findsounds(std::string_view html, size_t start) {
  engine::LinkScanner::findSounds(html, start, OnlineSound);
}

void SrParser::Findfonts(std::string_view html, size_t start) {
  engine::LinkScanner::findFonts(html, start, OnlineFont);
}

// --- Writing

std::string SrParser::Fixfilename(std::string_view name) const {
  return engine::FileNameCleaner::clean(name);
}

void SrParser::Save(const std::filesystem::path& path, std::string_view text) const {
  engine::AttachmentWriter::writeText(path, text);
}

bool SrParser::Saveattachments(const std::filesystem::path& folder, int16_t mode) {
  SaveError.clear();
  if (!mailfiles) return true;
  const engine::AttachmentWriter writer(folder);
  int failures = 0;
  auto check = [&](const system::WriteOutcome& outcome) {
    if (outcome.ok) return;
    if (failures++ == 0) SaveError = outcome.error;
  };
  const int32_t count = mailfiles->Count();
  progressDivisor_ = count;
  const bool writesParts = mode == kModeSoundsOnly || mode == kModeAll || mode == kModeAllNoText;
  int32_t index = 0;
  for (const auto& part : *mailfiles) {
    raiseProgress(engine::roundedPercent(++index, count));
    if (!writesParts) continue;
    if (mode == kModeSoundsOnly && !engine::LinkScanner::hasSoundEnding(part->Filename)) continue;
    check(writer.writePart(*part, mode == kModeSoundsOnly));
  }
  if (mode == kModeTextOnly || mode == kModeAll) check(writer.writeNamed(Subject, ".txt", Text));
  if (mode == kModeHtmlOnly || mode == kModeAll || mode == kModeAllNoText)
    check(writer.writeNamed(Subject, ".htm", Html));
  if (failures > 1) SaveError += " (and " + std::to_string(failures - 1) + " more files)";
  return failures == 0;
}

std::string SrParser::Cleanheader() const { return engine::UnsentCopy::build(Source, grenze); }

bool SrParser::SaveCleanheader(const std::filesystem::path& path, std::string* error) const {
  const auto pieces = engine::UnsentCopy::pieces(Source, grenze);
  if (!pieces) {
    if (error) *error = "no unsent copy: the message boundary does not occur twice";
    return false;
  }
  const auto outcome = engine::AttachmentWriter::writeText(path, {pieces->header, pieces->tail});
  if (!outcome.ok && error) *error = outcome.error;
  return outcome.ok;
}

}  // namespace mailvane
