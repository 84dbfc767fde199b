#include "system/FileBytes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <thread>

#include "tests/support/TempDir.h"

namespace mailvane::system {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

std::string pattern(size_t size) {
  std::string bytes;
  for (size_t i = 0; i < size; ++i) bytes.push_back(static_cast<char>((i * 7919) >> 3));
  return bytes;
}

void write(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(FileBytes, ReadsFilesOfEverySizeByteForByte) {
  TempDir dir("filebytes");
  for (size_t size : {size_t{0}, size_t{1}, size_t{4095}, size_t{4096}, size_t{300001}}) {
    const std::string bytes = pattern(size);
    write(dir / "m.eml", bytes);
    const auto read = FileBytes::read(dir / "m.eml");
    ASSERT_TRUE(read) << size;
    EXPECT_EQ(read->view(), bytes) << size;
  }
}

TEST(FileBytes, MissingFilesAndFoldersAreNotRead) {
  TempDir dir("filebytes");
  EXPECT_FALSE(FileBytes::read(dir / "missing.eml"));
  EXPECT_FALSE(FileBytes::read(dir.path()));
}

// A pipe has no size: it is read to its end, through more than one buffer's worth.
TEST(FileBytes, ReadsAPipeToItsEnd) {
  TempDir dir("filebytes");
  const fs::path fifo = dir / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string bytes = pattern(200000);
  std::thread writer([&] { write(fifo, bytes); });
  const auto read = FileBytes::read(fifo);
  writer.join();
  ASSERT_TRUE(read);
  EXPECT_EQ(read->view(), bytes);
}

// The bytes stay valid as long as someone holds them, whatever happens to the file.
TEST(FileBytes, KeepsTheBytesAfterTheFileIsReplaced) {
  TempDir dir("filebytes");
  write(dir / "m.eml", "first version");
  const auto read = FileBytes::read(dir / "m.eml");
  fs::remove(dir / "m.eml");
  write(dir / "m.eml", "second");
  ASSERT_TRUE(read);
  EXPECT_EQ(read->view(), "first version");
}

}  // namespace
}  // namespace mailvane::system
