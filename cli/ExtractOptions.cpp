#include "cli/ExtractOptions.h"

namespace mailvane::cli {
namespace {

bool parseOnly(const std::string& value, ExtractCommand& command) {
  if (value == "html") command = ExtractCommand::HtmlOnly;
  else if (value == "text") command = ExtractCommand::TextOnly;
  else if (value == "sounds") command = ExtractCommand::SoundsOnly;
  else return false;
  return true;
}

bool parseUnsent(const std::string& value, UnsentCopy& unsent) {
  if (value == "eml") unsent = UnsentCopy::Eml;
  else if (value == "nws") unsent = UnsentCopy::Nws;
  else return false;
  return true;
}

// Splits "--opt=value" so both spellings are accepted.
std::pair<std::string, std::optional<std::string>> splitInline(const std::string& arg) {
  const size_t eq = arg.find('=');
  if (arg.rfind("--", 0) != 0 || eq == std::string::npos) return {arg, std::nullopt};
  return {arg.substr(0, eq), arg.substr(eq + 1)};
}

}  // namespace

const char* const kExtractOptionsHelp =
    "  -o, --output DIR      write below DIR (default: the desktop program's output folder)\n"
    "  --no-text             do not write the plain-text file of each message\n"
    "  --unsent eml|nws      also write an unsent copy of each message in its folder\n"
    "  --only html|text|sounds\n"
    "                        write only the HTML, the text or the sound parts, side by\n"
    "                        side in DIR/Html, DIR/Text or DIR/Sounds\n";

std::optional<ExtractArgs> parseExtractArgs(const std::vector<std::string>& args,
                                            std::string& error) {
  ExtractArgs parsed;
  bool unsentGiven = false;
  bool noText = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const auto split = splitInline(args[i]);
    const std::string& name = split.first;
    const std::optional<std::string>& inlineValue = split.second;
    auto value = [&]() -> std::optional<std::string> {
      if (inlineValue) return inlineValue;
      if (i + 1 < args.size()) return args[++i];
      error = "option " + name + " needs a value";
      return std::nullopt;
    };
    if (name == "--") {
      parsed.operands.insert(parsed.operands.end(), args.begin() + static_cast<long>(i) + 1,
                             args.end());
      break;
    } else if (name == "-o" || name == "--output") {
      auto v = value();
      if (!v) return std::nullopt;
      if (v->empty()) {
        error = "option " + name + " needs a folder";
        return std::nullopt;
      }
      parsed.options.outputFolder = *v;
    } else if (name == "--no-text") {
      noText = true;
    } else if (name == "--unsent") {
      auto v = value();
      if (!v) return std::nullopt;
      if (!parseUnsent(*v, parsed.options.choice.unsent)) {
        error = "--unsent takes eml or nws, not '" + *v + "'";
        return std::nullopt;
      }
      unsentGiven = true;
    } else if (name == "--only") {
      auto v = value();
      if (!v) return std::nullopt;
      if (!parseOnly(*v, parsed.options.choice.command)) {
        error = "--only takes html, text or sounds, not '" + *v + "'";
        return std::nullopt;
      }
    } else if (name.size() > 1 && name[0] == '-') {
      error = "unknown option " + name;
      return std::nullopt;
    } else {
      parsed.operands.push_back(args[i]);
    }
  }
  parsed.options.choice.saveText = !noText;
  // The "only" commands write no message folders, so they have nowhere to put a copy.
  if (unsentGiven && parsed.options.choice.command != ExtractCommand::All) {
    error = "--unsent cannot be combined with --only";
    return std::nullopt;
  }
  return parsed;
}

}  // namespace mailvane::cli
