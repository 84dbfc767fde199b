#pragma once
// Files written whole or not at all. The bytes go to a hidden temporary file in the same
// folder, which takes the final name only once every byte is out, so that a full disk, a
// failing device, a crash or a killed process never leaves a cut-off file under the
// final name, and a second run after the cause is gone writes what is missing.

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace mailvane::system {

// What a write does with a file that already stands at the path.
enum class ExistingFile {
  Replace,  // the new file takes its place (a link at the path is replaced, not followed)
  Keep,     // it stays as it is and nothing is written
};

struct WriteOutcome {
  bool ok = false;    // the file holds every byte, or (Keep) one was there already
  bool kept = false;  // Keep: a file of that name was there and stays as it was
  std::string error;  // why not, for people (UTF-8), when !ok
};

// fill(fd) writes the content into the open temporary file and says whether all of it
// went out; errno tells why not.
WriteOutcome writeWholeFile(const std::filesystem::path& path, ExistingFile existing,
                            const std::function<bool(int fd)>& fill);
WriteOutcome writeWholeFile(const std::filesystem::path& path, ExistingFile existing,
                            std::span<const std::string_view> pieces);

}  // namespace mailvane::system
