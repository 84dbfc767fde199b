// Parses arbitrary bytes as a message (the pattern rules and the MIME structure pass),
// decodes every part and extracts it in every mode into a fresh folder, then checks that
// nothing appeared beside that folder.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/PartPayload.h"
#include "engine/SrParser.h"

namespace {

namespace fs = std::filesystem;

// One folder per process, removed when the process ends normally (a crash leaves it for
// a look at what was written).
class Sandbox {
 public:
  Sandbox()
      : root_(fs::temp_directory_path() / ("mailvane-fuzz-getall-" + std::to_string(::getpid()))) {
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  ~Sandbox() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  const fs::path& root() const { return root_; }

 private:
  fs::path root_;
};

const fs::path& sandbox() {
  static const Sandbox box;
  return box.root();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string message(reinterpret_cast<const char*>(data), size);
  const fs::path out = sandbox() / "out";
  fs::remove_all(sandbox());
  fs::create_directories(out);

  mailvane::SrParser parser;
  parser.Source = message;
  parser.identify_mailheader(parser.Source);
  parser.Getall(parser.Source);
  // Parts the structure pass adds are slices of the message, never copies, and every
  // part decodes (the preview decodes them one by one).
  const std::string_view source = parser.Source;
  for (const auto& part : *parser.mailfiles) {
    const std::string_view payload = part->BaseContent;
    if (part->fromStructure && !payload.empty() &&
        (payload.data() < source.data() || payload.data() + payload.size() > source.data() + source.size()))
      std::abort();
    (void)mailvane::engine::PartPayload::decode(*part);
  }
  for (int16_t mode : {1, 2, 3, 5, 6}) parser.Saveattachments(out, mode);
  (void)parser.Cleanheader();

  for (const auto& entry : fs::directory_iterator(sandbox()))
    if (entry.path() != out) std::abort();  // a file escaped the output folder
  for (const auto& entry : fs::recursive_directory_iterator(out))
    if (entry.is_directory()) std::abort();  // extraction never makes folders
  return 0;
}
