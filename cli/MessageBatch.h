#pragma once
// Runs one extraction walk over a batch of messages from any source (files, a folder, a
// .dbx file): progress on a terminal, one error line per message that fails, and the
// command line's exit status.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/ExtractOptions.h"
#include "engine/SharedText.h"

namespace mailvane::cli {

struct MessageInput {
  std::string label;  // how error lines and progress name the message (UTF-8)
  std::function<std::optional<SharedText>()> read;  // the raw bytes, nullopt on failure
};

// Extracts every input in order into one walk. Returns kExitOk when all were handled,
// kExitSomeFailed when any failed (the others are still extracted).
int extractBatch(const std::vector<MessageInput>& inputs, const ExtractOptions& options,
                 Streams& io);

// The folder a batch writes below: the -o folder (created with its parents when
// missing), or the desktop program's output folder. nullopt with a reason on failure.
std::optional<std::filesystem::path> prepareBatchFolder(const ExtractOptions& options,
                                                        std::string& error);

}  // namespace mailvane::cli
