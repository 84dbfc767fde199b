#include "cli/MessageBatch.h"

#include <exception>
#include <ostream>
#include <system_error>

#include "cli/DefaultOutputFolder.h"
#include "cli/ProgressLine.h"
#include "engine/SrParser.h"

namespace mailvane::cli {
namespace {

// One message: a fresh parser each time, as the windows do, so no header field of one
// message leaks into the next.
std::optional<std::string> extractOne(ExtractionWalk& walk, const MessageInput& input) {
  std::optional<SharedText> text = input.read ? input.read() : std::nullopt;
  if (!text) return std::string("cannot read the message");
  try {
    SrParser pars;
    ExtractionResult result = walk.parseAndExtract(pars, std::move(*text));
    if (!result.ok) return result.error;
  } catch (const std::exception& e) {
    return std::string("extraction failed: ") + e.what();
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::filesystem::path> prepareBatchFolder(const ExtractOptions& options,
                                                        std::string& error) {
  if (options.outputFolder.empty()) return defaultOutputFolder(error);
  std::error_code ec;
  std::filesystem::create_directories(options.outputFolder, ec);
  if (!std::filesystem::is_directory(options.outputFolder, ec)) {
    error = "cannot create the output folder " + options.outputFolder.string();
    return std::nullopt;
  }
  return options.outputFolder;
}

int extractBatch(const std::vector<MessageInput>& inputs, const ExtractOptions& options,
                 Streams& io) {
  std::string error;
  const auto folder = prepareBatchFolder(options, error);
  if (!folder) {
    io.err << "mailvane: " << error << '\n';
    return kExitSomeFailed;
  }
  ExtractionWalk walk(*folder, options.choice);
  ProgressLine progress(io, inputs.size());
  size_t failed = 0;
  for (size_t i = 0; i < inputs.size(); ++i) {
    progress.show(i + 1, inputs[i].label);
    if (auto problem = extractOne(walk, inputs[i])) {
      progress.clear();
      io.err << "mailvane: " << inputs[i].label << ": " << *problem << '\n';
      ++failed;
    }
  }
  progress.clear();
  return failed == 0 ? kExitOk : kExitSomeFailed;
}

}  // namespace mailvane::cli
