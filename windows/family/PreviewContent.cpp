#include "windows/family/PreviewContent.h"

#include <QMimeDatabase>

#include "engine/PartPayload.h"
#include "system/CodePage.h"

namespace mailvane {
namespace {

QString utf8Name(std::string_view codePageText) {
  return QString::fromStdString(system::toUtf8(codePageText));
}

QByteArray bytes(const std::string& text) {
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// The plain text as a page of its own: escaped, so text that looks like markup stays text.
QByteArray plainTextPage(std::string_view text) {
  const QString escaped = utf8Name(text).toHtmlEscaped();
  return QStringLiteral(
             "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head>"
             "<body><pre style=\"white-space: pre-wrap\">%1</pre></body></html>")
      .arg(escaped)
      .toUtf8();
}

}  // namespace

PreviewContent::Reply PreviewContent::page() const {
  if (pars_->Html.find_first_not_of(" \t\r\n") != std::string::npos)
    // Sent as the bytes the message holds, so the page's own charset declaration applies.
    return {QByteArrayLiteral("text/html"), bytes(pars_->Html)};
  return {QByteArrayLiteral("text/html"), plainTextPage(pars_->Text)};
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
