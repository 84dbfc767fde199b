#pragma once
// The options shared by every command that extracts messages:
//   [-o DIR] [--no-text] [--unsent eml|nws] [--only html|text|sounds]

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/ExtractionWalk.h"

namespace mailvane::cli {

struct ExtractOptions {
  std::filesystem::path outputFolder;  // empty: the desktop program's output folder
  ExtractionChoice choice;
};

struct ExtractArgs {
  ExtractOptions options;
  std::vector<std::string> operands;  // what is left: paths, in the order given
};

// Takes the extract options out of args (anywhere before "--"; "--" makes the rest
// operands). Returns nullopt with a one-line reason in error on a usage error.
std::optional<ExtractArgs> parseExtractArgs(const std::vector<std::string>& args,
                                            std::string& error);

// The option lines for a command's --help.
extern const char* const kExtractOptionsHelp;

}  // namespace mailvane::cli
