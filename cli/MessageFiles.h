#pragma once
// Turns the PATH operands of the command line into message inputs: a file is one
// message, a folder gives its *.eml and *.nws files sorted by name.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/MessageBatch.h"
#include "engine/SharedText.h"

namespace mailvane::cli {

// The whole file as bytes; nullopt when it cannot be read.
std::optional<SharedText> readMessageFile(const std::filesystem::path& path);

// True for names ending in .eml or .nws in any letter case.
bool isMessageFileName(const std::filesystem::path& path);

// One input per message file, in operand order. Operands that name nothing readable add
// a line to problems and no input.
std::vector<MessageInput> collectMessageInputs(const std::vector<std::string>& operands,
                                               std::vector<std::string>& problems);

}  // namespace mailvane::cli
