// Both codecs against a real picture and its encoded forms written by an independent
// encoder (Python's base64 and binascii).
#include <gtest/gtest.h>

#include "CodecTestSupport.h"
#include "codecs/Base64.h"
#include "codecs/UUencode.h"

namespace mailvane {
namespace {

using mailvane::testing::fixture;

class PictureFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    picture = fixture("picture.png");
    ASSERT_GT(picture.size(), 500u);
    ASSERT_EQ(picture.substr(1, 3), "PNG");
  }
  std::string picture;
};

TEST_F(PictureFixture, Base64BothWays) {
  const Base64 codec;
  const std::string text = fixture("picture.png.b64");
  EXPECT_EQ(codec.DecodeArr(text), picture);
  EXPECT_EQ(codec.EncodeArr(picture), text);
  EXPECT_EQ(codec.EncodeFromFile(std::filesystem::path(MAILVANE_TEST_DATA) / "codecs" / "picture.png"),
            text);

  mailvane::testing::TempDir folder;
  ASSERT_TRUE(codec.DecodeToFile(text, folder.path() / "picture.png"));
  EXPECT_EQ(mailvane::testing::readBytes(folder.path() / "picture.png"), picture);
}

TEST_F(PictureFixture, UUencodeBothWays) {
  // The picture's length is 44 more than a multiple of 45, the case that a decoder
  // taking every line but the last as full gets wrong.
  ASSERT_EQ(picture.size() % 45, 44u);
  const UUencode codec;
  std::string body = fixture("picture.png.uu");
  EXPECT_EQ(codec.Decode(body), picture);

  std::string crlfBody;
  for (char c : body) crlfBody += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(codec.Decode(crlfBody), picture);

  EXPECT_EQ(codec.Decode(codec.Encode(picture)), picture);
}

}  // namespace
}  // namespace mailvane
