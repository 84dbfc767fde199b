#include "windows/FrmExtract/StoreMessageWriter.h"

#include "engine/AttachmentWriter.h"
#include "engine/FileNameCleaner.h"
#include "engine/PartNames.h"
#include "system/CodePage.h"
#include "windows/FrmExtract/CidLinks.h"
#include "windows/FrmExtract/UnsentSource.h"

namespace mailvane {
namespace {

using engine::AttachmentWriter;

// The saved page is UTF-8 whatever charset its own meta tag names: a byte-order mark is
// the one declaration every browser puts before the page's own.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

constexpr std::string_view kRemovedFromSubject = "*.(:!;\\/?";
constexpr std::string_view kDiaeresis = "\xC2\xA8";

// The engine's name for a part: cleaned in the code page, fitted to one folder entry and
// numbered when an earlier part of the message took it.
std::string savedName(engine::PartNames& names, const std::string& declared) {
  const std::string cleaned = engine::FileNameCleaner::clean(system::fromUtf8(declared));
  return system::toUtf8(names.claim(engine::PartNames::fit(cleaned)));
}

void note(std::vector<std::string>& failures, const system::WriteOutcome& outcome,
          const std::filesystem::path& path) {
  if (!outcome.ok) failures.push_back(path.filename().string() + ": " + outcome.error);
}

}  // namespace

StoreMessageWriter::StoreMessageWriter(Options options, Progress progress)
    : options_(options), progress_(std::move(progress)) {}

StoreMessageWriter::~StoreMessageWriter() = default;

std::string StoreMessageWriter::folderName(std::string_view subject) {
  std::string name;
  name.reserve(subject.size());
  for (size_t i = 0; i < subject.size(); ++i) {
    if (subject.substr(i, kDiaeresis.size()) == kDiaeresis) {
      ++i;
      continue;
    }
    const char c = subject[i];
    if (c != '\0' && kRemovedFromSubject.find(c) == std::string_view::npos) name.push_back(c);
  }
  if (name.empty()) name = system::toUtf8(engine::FileNameCleaner::clean(""));
  return ExtractionWalk::fitName(std::move(name));
}

void StoreMessageWriter::load(std::string source, const std::string& name, ExtractedMessage& into) {
  into.R1 = std::move(source);
  mime_ = std::make_unique<store::MimeMessage>(into.R1);
  into.Text1 = mime_->text(mime_->htmlBody());
  into.List3.clear();
  // The message's own files come first: a part called like one of them gets a number
  // rather than being replaced by the text or replacing the page.
  engine::PartNames names;
  for (const char* ending : {".eml", ".nws", ".html", ".txt"})
    names.claim(engine::PartNames::fit(system::fromUtf8(name + ending)));
  for (store::PartHandle part : mime_->attachments()) {
    ListedPart listed;
    listed.name = mime_->fileName(part);
    if (listed.name.empty()) listed.name = mime_->displayName(part);
    listed.handle = part;
    listed.contentId = mime_->contentId(part);
    listed.savedName = savedName(names, listed.name);
    into.List3.push_back(std::move(listed));
  }
}

void StoreMessageWriter::step(int value) {
  if (progress_) progress_(value, steps_);
}

void StoreMessageWriter::writeText(const std::filesystem::path& path, std::string_view text,
                                   std::vector<std::string>& failures, std::string_view prefix) {
  // Not through a link: a link planted in the folder must not carry a write elsewhere.
  note(failures, AttachmentWriter::writeText(path, {prefix, text}, false), path);
}

std::vector<std::string> StoreMessageWriter::write(const ExtractedMessage& message,
                                                   const std::filesystem::path& folder,
                                                   const std::string& name) {
  std::vector<std::string> failures;
  if (!mime_) return {"the message was not read"};
  const int parts = static_cast<int>(message.List3.size());
  steps_ = parts + 3;
  int at = 1;
  step(at);
  if (options_.copy != UnsentCopy::None) {
    const char* ending = options_.copy == UnsentCopy::Eml ? ".eml" : ".nws";
    writeText(folder / (name + ending), UnsentSource::rewrite(message.R1), failures);
  }
  step(++at);
  if (options_.html) {
    const std::string page = CidLinks::rewrite(message.Text1, message.List3);
    for (int i = 0; i < parts; ++i) step(++at);
    writeText(folder / (name + ".html"), page, failures, kUtf8Mark);
  }
  step(++at);
  if (options_.files) {
    for (const ListedPart& part : message.List3) {
      step(++at);
      const std::filesystem::path path = folder / part.savedName;
      note(failures, AttachmentWriter::writeBytes(path, mime_->decodedBytes(part.handle)), path);
    }
  }
  writeText(folder / (name + ".txt"), mime_->text(mime_->textBody()), failures);
  step(0);
  return failures;
}

}  // namespace mailvane
