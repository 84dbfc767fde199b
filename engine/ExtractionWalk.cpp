#include "engine/ExtractionWalk.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "engine/UnsentCopy.h"
#include "system/CodePage.h"
#include "system/FileUtil.h"

namespace mailvane {
namespace {

std::string withoutChar(std::string_view text, char c) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text)
    if (ch != c) out.push_back(ch);
  return out;
}

// Cuts UTF-8 text to at most maxBytes without splitting a character.
std::string cutUtf8(std::string text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  size_t cut = maxBytes;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  text.resize(cut);
  return text;
}

// Folder names are compared without regard to ASCII case: the output folder may sit on
// a file system that does not tell "Hi" from "hi", and two messages must never share.
std::string foldAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

}  // namespace

ExtractionWalk::ExtractionWalk(std::filesystem::path outputFolder, ExtractionChoice choice)
    : outputFolder_(std::move(outputFolder)), choice_(choice) {}

std::string ExtractionWalk::messageName(const SrParser& pars) {
  std::string name = pars.Fixfilename(withoutChar(pars.Subject, '.'));
  // A NUL cannot stand in a file name; the system would silently cut the name there.
  name = withoutChar(name, '\0');
  if (name.empty()) name = withoutChar(pars.Fixfilename(""), '\0');
  return cutUtf8(system::toUtf8(name), kMaxNameBytes);
}

void ExtractionWalk::parse(SrParser& pars, SharedText text) {
  pars.Source = std::move(text);
  // Getall reads the header fields itself, and reading them twice from the same text
  // gives the same fields, so the windows' separate identify_mailheader call is left out.
  pars.Getall(pars.Source);
}

ExtractionResult ExtractionWalk::parseAndExtract(SrParser& pars, SharedText text) {
  parse(pars, std::move(text));
  return extract(pars);
}

ExtractionResult ExtractionWalk::extract(SrParser& pars) {
  switch (choice_.command) {
    case ExtractCommand::HtmlOnly:
      return extractShared(pars, "Html", SrParser::kModeHtmlOnly);
    case ExtractCommand::TextOnly:
      return extractShared(pars, "Text", SrParser::kModeTextOnly);
    case ExtractCommand::SoundsOnly:
      return extractShared(pars, "Sounds", SrParser::kModeSoundsOnly);
    case ExtractCommand::All:
      break;
  }
  return extractAll(pars);
}

ExtractionResult ExtractionWalk::extractAll(SrParser& pars) {
  ExtractionResult result;
  const std::string name = messageName(pars);
  result.folder = outputFolder_ / claimFolderName(name);
  if (!ensureFolder(result.folder, result.error)) return result;
  // A file that cannot be written fails the message, but the rest of it is still
  // written, so that a second run after the cause is gone only adds what is missing.
  if (!pars.Saveattachments(result.folder, choice_.saveText ? SrParser::kModeAll
                                                            : SrParser::kModeAllNoText))
    result.error = pars.SaveError;
  if (choice_.unsent != UnsentCopy::None) {
    // Written straight from the stored message: a copy in memory would double the
    // footprint of a large message. Without two occurrences of the boundary there is no
    // copy to write; an empty file under the message's name would look like a success.
    const char* ending = choice_.unsent == UnsentCopy::Eml ? ".eml" : ".nws";
    const std::filesystem::path copy = result.folder / (name + ending);
    std::string error;
    if (!pars.SaveCleanheader(copy, &error) && result.error.empty()) result.error = error;
  }
  result.ok = result.error.empty();
  return result;
}

ExtractionResult ExtractionWalk::extractShared(SrParser& pars, const char* subfolder,
                                               int16_t mode) {
  ExtractionResult result;
  result.folder = outputFolder_ / subfolder;
  if (!ensureFolder(result.folder, result.error)) return result;
  result.ok = pars.Saveattachments(result.folder, mode);
  result.error = pars.SaveError;
  return result;
}

std::string ExtractionWalk::fitName(std::string name) {
  return cutUtf8(std::move(name), kMaxNameBytes);
}

std::string ExtractionWalk::claimFolderName(const std::string& name) {
  if (usedNames_.insert(foldAscii(name)).second) return name;
  for (unsigned long n = 1;; ++n) {
    std::string candidate = name + std::to_string(n);
    if (usedNames_.insert(foldAscii(candidate)).second) return candidate;
  }
}

bool ExtractionWalk::ensureFolder(const std::filesystem::path& folder, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(folder, ec)) return true;
  // One level only, as the windows do: the output folder itself must already exist.
  if (std::filesystem::create_directory(folder, ec)) return true;
  std::error_code again;
  if (std::filesystem::is_directory(folder, again)) return true;  // made meanwhile
  error = "cannot create the folder " + folder.string() +
          (ec ? ": " + ec.message() : std::string(": a file of that name is in the way"));
  return false;
}

}  // namespace mailvane
