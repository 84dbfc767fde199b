#include "system/FileUtil.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <string_view>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace mailvane::system;

namespace {
fs::path tempDir(const char* name) {
  auto d = fs::temp_directory_path() / ("mailvane_fileutil_" + std::string(name));
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}
void touch(const fs::path& p) { std::ofstream(p) << "x"; }
}  // namespace

TEST(FileExists, FilesAndFoldersExistMissingDoNot) {
  auto d = tempDir("exists");
  EXPECT_TRUE(FileExists(d));
  EXPECT_FALSE(FileExists(d / "nope.txt"));
  touch(d / "a.txt");
  EXPECT_TRUE(FileExists(d / "a.txt"));
  EXPECT_FALSE(FileExists(fs::path()));
}

TEST(FreeFileName, NumbersBeforeTheFirstDotOfTheFileName) {
  auto d = tempDir("free");
  EXPECT_EQ(FreeFileName(d / "photo.jpg"), d / "photo.jpg");
  touch(d / "photo.jpg");
  EXPECT_EQ(FreeFileName(d / "photo.jpg"), d / "photo1.jpg");
  touch(d / "photo1.jpg");
  EXPECT_EQ(FreeFileName(d / "photo.jpg"), d / "photo2.jpg");
  touch(d / "a.b.txt");
  EXPECT_EQ(FreeFileName(d / "a.b.txt"), d / "a1.b.txt");
  touch(d / "noext");
  EXPECT_EQ(FreeFileName(d / "noext"), d / "noext1");
}

TEST(FreeFileName, NeverNumbersAFolderWithADot) {
  auto d = tempDir("dotfolder") / "my.files";
  fs::create_directories(d);
  touch(d / "a.txt");
  EXPECT_EQ(FreeFileName(d / "a.txt"), d / "a1.txt");
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
