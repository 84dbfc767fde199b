#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "CodecTestSupport.h"
#include "codecs/Base64.h"

namespace mailvane {
namespace {

namespace fs = std::filesystem;
using mailvane::testing::readBytes;
using mailvane::testing::TempDir;

const Base64 codec;

TEST(Base64DecodeToFile, WritesTheDecodedBytesToANewFile) {
  TempDir folder;
  const fs::path file = folder.path() / "part.bin";
  EXPECT_TRUE(codec.DecodeToFile("TWFu\r\nTWE=", file));
  EXPECT_EQ(readBytes(file), "ManMa");
}

TEST(Base64DecodeToFile, LargePayloadMatchesTheInMemoryDecoding) {
  // Large enough to be written in several pieces, with groups and CR LF pairs split
  // across the pieces' edges.
  TempDir folder;
  for (unsigned seed = 1; seed <= 3; ++seed) {
    const std::string text = mailvane::testing::mixedBase64Text(700'000, seed);
    const fs::path file = folder.path() / ("large" + std::to_string(seed));
    ASSERT_TRUE(codec.DecodeToFile(text, file));
    EXPECT_EQ(readBytes(file), codec.DecodeArr(text).value()) << seed;
  }
}

TEST(Base64DecodeToFile, NeverReplacesWhatIsAlreadyThere) {
  TempDir folder;
  const fs::path file = folder.path() / "taken.txt";
  std::ofstream(file) << "keep me";
  EXPECT_FALSE(codec.DecodeToFile("TWFu", file));
  EXPECT_EQ(readBytes(file), "keep me");

  // A link left at the path is not followed, even when its target does not exist yet.
  const fs::path target = folder.path() / "elsewhere.txt";
  const fs::path link = folder.path() / "link.txt";
  fs::create_symlink(target, link);
  EXPECT_FALSE(codec.DecodeToFile("TWFu", link));
  EXPECT_FALSE(fs::exists(target));

  EXPECT_FALSE(codec.DecodeToFile("TWFu", folder.path()));
}

TEST(Base64DecodeToFile, EmptyPayloadLeavesAnEmptyFileAndReportsFailure) {
  TempDir folder;
  const fs::path file = folder.path() / "empty.bin";
  EXPECT_FALSE(codec.DecodeToFile("==\r\n", file));
  ASSERT_TRUE(fs::is_regular_file(file));
  EXPECT_EQ(fs::file_size(file), 0u);
}

TEST(Base64DecodeToFile, MissingFolderWritesNothing) {
  TempDir folder;
  const fs::path file = folder.path() / "no" / "such" / "part.bin";
  EXPECT_FALSE(codec.DecodeToFile("TWFu", file));
  EXPECT_FALSE(fs::exists(file.parent_path()));
}

TEST(Base64EncodeFromFile, FailuresGiveTheEmptyText) {
  TempDir folder;
  EXPECT_EQ(codec.EncodeFromFile(folder.path() / "missing.bin"), "");
  EXPECT_EQ(codec.EncodeFromFile(folder.path()), "");
  const fs::path file = folder.path() / "three.bin";
  std::ofstream(file, std::ios::binary) << "Man";
  EXPECT_EQ(codec.EncodeFromFile(file), "TWFu");
}

}  // namespace
}  // namespace mailvane
