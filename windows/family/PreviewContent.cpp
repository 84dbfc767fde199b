#include "windows/family/PreviewContent.h"

#include <QMimeDatabase>
#include <QStringDecoder>

#include "engine/PartPayload.h"
#include "system/CodePage.h"
#include "windows/family/MessageCharsets.h"

namespace mailvane {
namespace {

QString utf8Name(std::string_view codePageText) {
  return QString::fromStdString(system::toUtf8(codePageText));
}

QByteArray bytes(std::string_view text) {
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// A declared charset the program can read; a misspelt or made-up name counts as none.
bool known(const std::string& charset) {
  return !charset.empty() && QStringDecoder(charset.c_str()).isValid();
}

// The plain text in its charset (else the code page), as the page's own text.
QString plainText(std::string_view text, const std::string& charset) {
  if (known(charset)) {
    QStringDecoder decoder(charset.c_str());
    QString decoded = decoder.decode(bytes(text));
    if (!decoder.hasError()) return decoded;
  }
  return utf8Name(text);
}

// The plain text as a page of its own: escaped, so text that looks like markup stays text.
QByteArray plainTextPage(const QString& text) {
  return QStringLiteral(
             "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head>"
             "<body><pre style=\"white-space: pre-wrap\">%1</pre></body></html>")
      .arg(text.toHtmlEscaped())
      .toUtf8();
}

}  // namespace

// The page is served as the bytes the message holds, labelled with the charset they are
// in: the HTML part's own declaration, else the document's <meta>, else the code page
// the rest of the program reads text in. Without a label the web view would guess.
PreviewContent::Reply PreviewContent::page() const {
  if (pars_->Html.find_first_not_of(" \t\r\n") != std::string::npos) {
    std::string charset = MessageCharsets::partCharset(pars_->Source, "text/html");
    if (!known(charset)) charset = MessageCharsets::metaCharset(pars_->Html);
    if (!known(charset)) charset = system::activeCodePage();
    return {QByteArray("text/html; charset=") + bytes(charset), bytes(pars_->Html)};
  }
  const std::string charset = MessageCharsets::partCharset(pars_->Source, "text/plain");
  return {QByteArrayLiteral("text/html; charset=utf-8"),
          plainTextPage(plainText(pars_->Text, charset))};
}

std::optional<PreviewContent::Reply> PreviewContent::part(const QString& name) const {
  const auto found = find(name);
  if (!found) return std::nullopt;
  auto decoded = decode(*found);
  if (!decoded) return std::nullopt;
  const QMimeType type =
      QMimeDatabase().mimeTypeForFile(utf8Name(found->Filename), QMimeDatabase::MatchExtension);
  return Reply{type.name().toLatin1(), bytes(*decoded)};
}

std::shared_ptr<const nlMail> PreviewContent::find(const QString& name) const {
  if (!pars_->mailfiles || name.isEmpty()) return nullptr;
  std::shared_ptr<const nlMail> caseBlind;
  for (const auto& part : *pars_->mailfiles) {
    const QString file = utf8Name(part->Filename);
    if (file == name) return part;
    if (!caseBlind && file.compare(name, Qt::CaseInsensitive) == 0) caseBlind = part;
    if (!caseBlind && !part->contID.empty() &&
        utf8Name(part->contID) == QLatin1Char('<') + name + QLatin1Char('>'))
      caseBlind = part;
  }
  return caseBlind;
}

std::optional<std::string> PreviewContent::decode(const nlMail& part) {
  return engine::PartPayload::decode(part);
}

}  // namespace mailvane
