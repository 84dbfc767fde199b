#include "system/WholeFile.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>

#include "tests/support/TempDir.h"

namespace mailvane::system {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

std::string contentOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// What stands at the path before the write.
enum class Before { Nothing, File, Link };

struct Case {
  ExistingFile existing;
  Before before;
  bool fillSucceeds;
  bool ok, kept;
  std::string content;  // of the path afterwards ("" when absent)
};

TEST(WholeFile, AFileIsWrittenWholeOrNotAtAllAndNeverThroughALink) {
  const Case cases[] = {
      {ExistingFile::Replace, Before::Nothing, true, true, false, "new"},
      {ExistingFile::Replace, Before::File, true, true, false, "new"},
      {ExistingFile::Replace, Before::Link, true, true, false, "new"},  // the link is replaced
      {ExistingFile::Keep, Before::Nothing, true, true, false, "new"},
      {ExistingFile::Keep, Before::File, true, true, true, "old"},
      {ExistingFile::Keep, Before::Link, true, true, true, ""},  // a link counts as a file
      // A failing write (a full disk) leaves what was there, and nothing cut off.
      {ExistingFile::Replace, Before::Nothing, false, false, false, ""},
      {ExistingFile::Replace, Before::File, false, false, false, "old"},
      {ExistingFile::Keep, Before::Nothing, false, false, false, ""},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const fs::path path = dir / "part.bin";
    const fs::path victim = dir.path().parent_path() / (dir.path().filename().string() + "-victim");
    if (c.before == Before::File) std::ofstream(path) << "old";
    if (c.before == Before::Link) fs::create_symlink(victim, path);
    const auto outcome = writeWholeFile(path, c.existing, [&](int fd) {
      if (::write(fd, "ne", 2) != 2) return false;  // part of it goes out first
      if (!c.fillSucceeds) {
        errno = ENOSPC;
        return false;
      }
      return ::write(fd, "w", 1) == 1;
    });
    const std::string label = std::to_string(&c - cases);
    EXPECT_EQ(outcome.ok, c.ok) << label;
    EXPECT_EQ(outcome.kept, c.kept) << label;
    if (!c.ok) {
      EXPECT_NE(outcome.error.find("No space left on device"), std::string::npos) << label;
    }
    if (!c.content.empty()) {
      EXPECT_EQ(contentOf(path), c.content) << label;
    } else if (c.before != Before::Link) {
      EXPECT_FALSE(fs::exists(path)) << label;
    }
    EXPECT_FALSE(fs::exists(victim)) << label;
    // No temporary file is left beside it.
    for (const auto& name : entries(dir.path())) EXPECT_EQ(name, "part.bin") << label;
  }
}

TEST(WholeFile, AFolderThatCannotTakeTheFileIsReportedWithTheName) {
  TempDir dir;
  const std::string_view bytes = "x";
  const auto outcome = writeWholeFile(dir / "missing" / "a.gif", ExistingFile::Replace, {&bytes, 1});
  EXPECT_FALSE(outcome.ok);
  EXPECT_NE(outcome.error.find("a.gif"), std::string::npos) << outcome.error;
}

}  // namespace
}  // namespace mailvane::system
