// Subjects from the header block alone, and folder names from .fol files.
#include <gtest/gtest.h>

#include "store/FolderNameFile.h"
#include "store/HeaderScan.h"
#include "tests/store/StoreTestSupport.h"

namespace mailvane::store {
namespace {

using namespace std::string_literals;

TEST(HeaderScan, SubjectIsFoundUnfoldedAndDecoded) {
  EXPECT_EQ(subjectOf("From: a\r\nSUBJECT:   Plain words  \r\nX: y\r\n"), "Plain words");
  EXPECT_EQ(subjectOf("Subject: first\r\n half\r\n\tand more\r\nTo: b\r\n"),
            "first half and more");
  EXPECT_EQ(subjectOf("Subject: =?iso-8859-1?Q?Caf=E9?= =?utf-8?B?4oKs?=\n"), "Caf\u00E9\u20AC");
  // Only the header block counts, and only a field called Subject.
  EXPECT_EQ(subjectOf("From: a\r\n\r\nSubject: in the body\r\n"), "");
  EXPECT_EQ(subjectOf("X-Subject: no\r\nSubjects: no\r\n"), "");
  EXPECT_EQ(subjectOf(""), "");
}

TEST(HeaderScan, ReadsNoFurtherThanTheHeaderBlock) {
  test::TempDir dir("store_scan");
  test::writeFile(dir / "a.eml", "Subject: s\r\n\r\n" + std::string(200000, 'x'));
  EXPECT_EQ(readHeaderBlock(dir / "a.eml"), "Subject: s\r\n");
  test::writeFile(dir / "lf.eml", "Subject: s\n\nbody");
  EXPECT_EQ(readHeaderBlock(dir / "lf.eml"), "Subject: s\n");
  // A header with no end is cut at the limit.
  test::writeFile(dir / "long.eml", "Subject: " + std::string(200000, 'y'));
  EXPECT_EQ(readHeaderBlock(dir / "long.eml")->size(), kMaxHeaderScan);
  EXPECT_FALSE(readHeaderBlock(dir / "missing.eml"));
}

TEST(HeaderScan, LongHeaderBlocksAreFoundWhole) {
  test::TempDir dir("store_scan_long");
  // Header blocks of many lengths, so the blank line falls on and around every place
  // where the file is read piece by piece.
  for (size_t length : {4000u, 8190u, 8191u, 8192u, 8193u, 16383u, 16384u, 40000u}) {
    std::string header = "Subject: long\r\n";
    while (header.size() + 80 <= length) header += "X: " + std::string(70, 'h') + "\r\n";
    header += std::string(length - header.size() - 2, 'y') + "\r\n";
    ASSERT_EQ(header.size(), length);
    test::writeFile(dir / "m.eml", header + "\r\n" + std::string(100000, 'b'));
    EXPECT_EQ(readHeaderBlock(dir / "m.eml"), header) << length;
    test::writeFile(dir / "m.eml", header);
    EXPECT_EQ(readHeaderBlock(dir / "m.eml"), header) << length << " without a body";
  }
}

TEST(FolderNameFile, Utf16WithOrWithoutMarkAndPlainText) {
  // UTF-16 little-endian with a mark and the trailing NUL the mail client writes.
  EXPECT_EQ(folderNameFromBytes("\xFF\xFEM\0\xE4\0r\0z\0\0\0"s), "M\u00E4rz");
  EXPECT_EQ(folderNameFromBytes("\xFE\xFF\0A\0B"s), "AB");
  // No mark: NULs in every second byte give the encoding away.
  EXPECT_EQ(folderNameFromBytes("I\0n\0b\0o\0x\0\0\0"s), "Inbox");
  // Characters beyond the basic plane come through whole.
  EXPECT_EQ(folderNameFromBytes("\xFF\xFE\x3D\xD8\x00\xDE"s), "\U0001F600");
  // Plain text: UTF-8 when valid, else the code page; only the first line counts.
  EXPECT_EQ(folderNameFromBytes("  Sent Items \r\nsecond line"), "Sent Items");
  EXPECT_EQ(folderNameFromBytes("\xEF\xBB\xBFJuni \xC3\xA9t\xC3\xA9"), "Juni \u00E9t\u00E9");
  EXPECT_EQ(folderNameFromBytes("Caf\xE9"), "Caf\u00E9");
  EXPECT_EQ(folderNameFromBytes(""), "");
  EXPECT_EQ(folderNameFromBytes("\xFF\xFE"), "");
  EXPECT_EQ(readFolderNameFile("/nonexistent/winmail.fol"), "");
}

}  // namespace
}  // namespace mailvane::store
