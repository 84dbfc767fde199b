#include "system/FileUtil.h"

#include <gtest/gtest.h>

#include <fstream>

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
