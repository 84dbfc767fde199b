// `mailvane show`: what the message windows show of one message.
#include <ostream>

#include "cli/Command.h"
#include "cli/JsonWriter.h"
#include "cli/MessageFiles.h"
#include "engine/ExtractionWalk.h"
#include "engine/SrParser.h"
#include "system/CodePage.h"

namespace mailvane::cli {
namespace {

using system::toUtf8;

void writeJson(const SrParser& pars, std::ostream& out) {
  JsonWriter json(out);
  json.beginObject();
  const std::pair<const char*, std::string_view> texts[] = {
      {"From", pars.From},
      {"too", pars.too},
      {"returnpath", pars.returnpath},
      {"maildate", pars.maildate},
      {"Subject", pars.Subject},
      {"Mimeversion", pars.Mimeversion},
      {"Lines", pars.Lines},
      {"grenze", pars.grenze},
      {"Xmailer", pars.Xmailer},
      {"Contenttransferencoding", pars.Contenttransferencoding},
      {"MailSize", pars.MailSize},
      {"Text", pars.Text},
      {"Html", pars.Html},
  };
  for (const auto& [key, value] : texts) json.field(key, toUtf8(value));
  json.beginArray("mailfiles");
  if (pars.mailfiles) {
    for (const auto& part : *pars.mailfiles) {
      json.beginObject();
      json.field("Filename", toUtf8(part->Filename));
      json.field("OrgFilename", toUtf8(part->OrgFilename));
      json.field("encoding", toUtf8(part->encoding));
      json.field("contID", toUtf8(part->contID));
      json.field("BaseContent", toUtf8(part->BaseContent));
      json.endObject();
    }
  }
  json.endArray();
  for (const auto* list : {&pars.OnlineSound, &pars.OnlineFont}) {
    json.beginArray(list == &pars.OnlineSound ? "OnlineSound" : "OnlineFont");
    for (const std::string& link : *list) json.field("", toUtf8(link));
    json.endArray();
  }
  json.endObject();
}

// The labels and the parts list of a message window, as lines of text.
void writeText(const SrParser& pars, std::ostream& out) {
  const std::pair<const char*, const std::string*> labels[] = {
      {"From", &pars.From},       {"To", &pars.too},          {"Date", &pars.maildate},
      {"Subject", &pars.Subject}, {"Client", &pars.Xmailer}, {"Size", &pars.MailSize},
  };
  for (const auto& [label, value] : labels) out << label << ": " << toUtf8(*value) << '\n';
  out << "Parts:\n";
  if (pars.mailfiles)
    for (const auto& part : *pars.mailfiles) out << "  " << toUtf8(part->Filename) << '\n';
  out << "Online:\n";
  for (const auto* list : {&pars.OnlineSound, &pars.OnlineFont})
    for (const std::string& link : *list) out << "  " << toUtf8(link) << '\n';
}

}  // namespace

int showCommand(const std::vector<std::string>& args, Streams& io) {
  if (helpRequested(args)) {
    io.out << "Usage: mailvane show [--json] FILE\n"
              "Prints the header fields, the parts and the online sound and font links of\n"
              "a message. With --json: one object with the parser's field names (From, too,\n"
              "returnpath, maildate, Subject, Mimeversion, Lines, grenze, Xmailer,\n"
              "Contenttransferencoding, MailSize, Text, Html, mailfiles, OnlineSound,\n"
              "OnlineFont), texts in UTF-8.\n";
    return kExitOk;
  }
  bool json = false;
  std::vector<std::string> files;
  bool optionsDone = false;
  for (const std::string& arg : args) {
    if (optionsDone || arg.size() < 2 || arg[0] != '-') files.push_back(arg);
    else if (arg == "--") optionsDone = true;
    else if (arg == "--json") json = true;
    else return usageError(io, "show", "unknown option " + arg);
  }
  if (files.size() != 1) return usageError(io, "show", "give exactly one message file");

  auto text = readMessageFile(files[0]);
  if (!text) {
    io.err << "mailvane: " << files[0] << ": cannot read the message\n";
    return kExitSomeFailed;
  }
  SrParser pars;
  ExtractionWalk::parse(pars, std::move(*text));
  if (json) writeJson(pars, io.out);
  else writeText(pars, io.out);
  return kExitOk;
}

}  // namespace mailvane::cli
