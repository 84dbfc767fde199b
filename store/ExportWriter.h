#pragma once
// Where an export puts messages: one implementation per output format. The export calls
// folder() once per store folder, and add() for each of its messages from inside the
// callback it passes, so a format can make the folder's file whole before it takes its
// final name.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace mailvane::store {

struct ExportedMessage {
  std::string_view bytes;       // exactly as stored
  std::optional<int64_t> time;  // Unix seconds: its Date, else the store's time for it
  std::optional<bool> seen;     // the store's read flag, when it keeps one
  std::string_view sender;      // bare address for an mbox "From " line; may be empty
};

enum class AddOutcome { Written, AlreadyThere, Failed };

class ExportWriter {
 public:
  explicit ExportWriter(std::filesystem::path root) : root_(std::move(root)) {}
  virtual ~ExportWriter() = default;

  // The file or folder a store folder's relative output name stands for.
  std::filesystem::path pathOf(const std::string& relative) const { return root_ / relative; }
  // Makes the output folder (and what the format needs at its top); false with a reason.
  virtual bool begin(std::string& error) = 0;
  // Makes or opens the folder, runs messages() (which calls add()), and completes it.
  // False with a reason when the folder could not be made or completed: none of the
  // messages add() took for it then stayed.
  virtual bool folder(const std::string& relative, bool intoExisting,
                      const std::function<void()>& messages, std::string& error) = 0;
  // AlreadyThere: an earlier export into the same place holds this message already.
  virtual AddOutcome add(const ExportedMessage& message, std::string& error) = 0;

 protected:
  const std::filesystem::path root_;  // the output folder
};

}  // namespace mailvane::store
