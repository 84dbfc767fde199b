// Reading and writing whole files: existence and free names, pieces through a pipe, every
// byte of a file read back, and a file written whole or not at all.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <thread>
#include <vector>

#include "system/FileBytes.h"
#include "system/FileUtil.h"
#include "system/WholeFile.h"
#include "tests/system/SystemTestSupport.h"

namespace mailvane::system {
namespace {

using ::testing::HasSubstr;

namespace fs = std::filesystem;
using test::TempDir;
using test::writeFile;

TEST(FileExists, FilesAndFoldersExistMissingDoNot) {
  TempDir d("fileutil");
  EXPECT_TRUE(FileExists(d.path()));
  EXPECT_FALSE(FileExists(d / "nope.txt"));
  writeFile(d / "a.txt", "x");
  EXPECT_TRUE(FileExists(d / "a.txt"));
  EXPECT_FALSE(FileExists(fs::path()));
}

// The number goes before the first dot of the file's own name, never into a folder's.
TEST(FreeFileName, NumbersBeforeTheFirstDotOfTheFileName) {
  TempDir tmp("fileutil");
  const fs::path d = tmp / "my.files";
  fs::create_directories(d);
  EXPECT_EQ(FreeFileName(d / "photo.jpg"), d / "photo.jpg");
  writeFile(d / "photo.jpg", "x");
  EXPECT_EQ(FreeFileName(d / "photo.jpg"), d / "photo1.jpg");
  writeFile(d / "photo1.jpg", "x");
  EXPECT_EQ(FreeFileName(d / "photo.jpg"), d / "photo2.jpg");
  writeFile(d / "a.b.txt", "x");
  EXPECT_EQ(FreeFileName(d / "a.b.txt"), d / "a1.b.txt");
  writeFile(d / "noext", "x");
  EXPECT_EQ(FreeFileName(d / "noext"), d / "noext1");
}

// A pipe takes a write in parts when its reader is slow: every piece still arrives once,
// in order, also when a write ends inside a piece. Empty pieces are no end of data.
TEST(WriteAll, PiecesArriveWholeAndInOrderThroughShortWrites) {
  std::vector<std::string> owned;
  for (int i = 0; i < 150; ++i) owned.push_back(std::string(size_t(i) * 997 % 5000, char('a' + i % 26)));
  owned[7].clear();
  std::vector<std::string_view> pieces(owned.begin(), owned.end());
  std::string expected;
  for (const auto& piece : owned) expected += piece;

  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::string received;
  std::thread reader([&] {
    char buffer[1000];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) received.append(buffer, size_t(n));
  });
  const bool written = writeAll(fds[1], pieces);
  ::close(fds[1]);
  reader.join();
  ::close(fds[0]);
  EXPECT_TRUE(written);
  EXPECT_EQ(received.size(), expected.size());
  EXPECT_TRUE(received == expected);
}

std::string pattern(size_t size) {
  std::string bytes;
  for (size_t i = 0; i < size; ++i) bytes.push_back(static_cast<char>((i * 7919) >> 3));
  return bytes;
}

TEST(FileBytes, ReadsFilesOfEverySizeByteForByteAndNoFolderOrMissingFile) {
  TempDir dir("filebytes");
  for (size_t size : {size_t{0}, size_t{1}, size_t{4095}, size_t{4096}, size_t{300001}}) {
    writeFile(dir / "m.eml", pattern(size));
    const auto read = FileBytes::read(dir / "m.eml");
    ASSERT_TRUE(read) << size;
    EXPECT_EQ(read->view(), pattern(size)) << size;
  }
  EXPECT_FALSE(FileBytes::read(dir / "missing.eml"));
  EXPECT_FALSE(FileBytes::read(dir.path()));
}

// The bytes stay valid as long as someone holds them, whatever happens to the file.
TEST(FileBytes, KeepsTheBytesAfterTheFileIsReplaced) {
  TempDir dir("filebytes");
  writeFile(dir / "m.eml", "first version");
  const auto read = FileBytes::read(dir / "m.eml");
  fs::remove(dir / "m.eml");
  writeFile(dir / "m.eml", "second");
  ASSERT_TRUE(read);
  EXPECT_EQ(read->view(), "first version");
}

// A pipe has no size: it is read to its end, through more than one buffer's worth.
TEST(FileBytes, ReadsAPipeToItsEnd) {
  TempDir dir("filebytes");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  const std::string bytes = pattern(200000);
  std::thread writer([&] { writeFile(dir / "fifo", bytes); });
  const auto read = FileBytes::read(dir / "fifo");
  writer.join();
  ASSERT_TRUE(read);
  EXPECT_EQ(read->view(), bytes);
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
      EXPECT_THAT(outcome.error, HasSubstr("No space left on device")) << label;
    }
    if (!c.content.empty()) {
      EXPECT_EQ(test::readFile(path), c.content) << label;
    } else if (c.before != Before::Link) {
      EXPECT_FALSE(fs::exists(path)) << label;
    }
    EXPECT_FALSE(fs::exists(victim)) << label;
    // No temporary file is left beside it.
    for (const auto& e : fs::directory_iterator(dir.path()))
      EXPECT_EQ(e.path().filename(), "part.bin") << label;
  }
}

TEST(WholeFile, AFolderThatCannotTakeTheFileIsReportedWithTheName) {
  TempDir dir;
  const std::string_view bytes = "x";
  const auto outcome = writeWholeFile(dir / "missing" / "a.gif", ExistingFile::Replace, {&bytes, 1});
  EXPECT_FALSE(outcome.ok);
  EXPECT_THAT(outcome.error, HasSubstr("a.gif"));
}

}  // namespace
}  // namespace mailvane::system
