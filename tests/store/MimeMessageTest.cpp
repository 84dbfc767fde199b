// Parts as GMime decodes them: bodies told apart from attachments, every transfer
// encoding undone byte for byte, names decoded, and bad input survived.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace std::string_literals;

#include "codecs/Base64.h"
#include "codecs/UUencode.h"
#include "store/MimeMessage.h"
#include "tests/store/StoreTestSupport.h"

namespace mailvane::store {
namespace {

using ::testing::HasSubstr;
using test::binaryPayload;

// Quoted-printable written independently of the decoder under test: every byte that is
// not printable ASCII as "=XX", soft line breaks before 76 characters.
std::string quotedPrintable(std::string_view bytes) {
  std::string out;
  size_t lineLength = 0;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    char piece[4];
    if (byte >= 33 && byte <= 126 && byte != '=') {
      piece[0] = c;
      piece[1] = '\0';
    } else {
      std::snprintf(piece, sizeof piece, "=%02X", byte);
    }
    const std::string_view text(piece);
    if (lineLength + text.size() > 72) {
      out += "=\r\n";
      lineLength = 0;
    }
    out += text;
    lineLength += text.size();
  }
  return out;
}

std::string partHeader(std::string_view type, std::string_view encoding, std::string_view name) {
  return "Content-Type: " + std::string(type) + "; name=\"" + std::string(name) +
         "\"\r\nContent-Transfer-Encoding: " + std::string(encoding) +
         "\r\nContent-Disposition: attachment; filename=\"" + std::string(name) + "\"\r\n\r\n";
}

std::string multipart(const std::vector<std::string>& parts, std::string_view type = "mixed") {
  std::string text = "From: ann@example.com\r\nSubject: parts\r\nMIME-Version: 1.0\r\n"
                     "Content-Type: multipart/" + std::string(type) +
                     "; boundary=\"=_b\"\r\n\r\nThis is a multi-part message in MIME format.\r\n";
  for (const std::string& part : parts) text += "\r\n--=_b\r\n" + part;
  return text + "\r\n--=_b--\r\n";
}

TEST(MimeMessage, EveryTransferEncodingIsUndoneByteForByte) {
  const std::string payload = binaryPayload();
  // Text that 7bit and 8bit parts may carry: lines, CR LF kept, high bytes in 8bit.
  const std::string sevenBit = "line one\r\nline two\r\n\r\nlast line without end";
  const std::string eightBit = "caf\xE9 na\xEFve\r\n\xA0\xFF end";
  std::string uuBody = UUencode().Encode(payload);
  if (!uuBody.ends_with("\r\n")) uuBody += "\r\n";
  const std::string message = multipart({
      partHeader("application/octet-stream", "base64", "b64.bin") + Base64().EncodeArr(payload),
      partHeader("application/octet-stream", "quoted-printable", "qp.bin") +
          quotedPrintable(payload),
      partHeader("application/octet-stream", "x-uuencode", "uu.bin") + "begin 644 uu.bin\r\n" +
          uuBody + "end\r\n",
      partHeader("text/plain; charset=us-ascii", "7bit", "seven.txt") + sevenBit,
      partHeader("text/plain; charset=iso-8859-1", "8bit", "eight.txt") + eightBit,
      partHeader("application/octet-stream", "binary", "raw.bin") + "ab\x00\x01\r\ncd"s,
  });

  const MimeMessage mime(message);
  const auto& parts = mime.attachments();
  ASSERT_EQ(parts.size(), 6u);
  EXPECT_EQ(mime.decodedBytes(parts[0]), payload);
  EXPECT_EQ(mime.decodedBytes(parts[1]), payload);
  EXPECT_EQ(mime.decodedBytes(parts[2]), payload);
  EXPECT_EQ(mime.decodedBytes(parts[3]), sevenBit);
  EXPECT_EQ(mime.decodedBytes(parts[4]), eightBit);
  EXPECT_EQ(mime.decodedBytes(parts[5]), "ab\x00\x01\r\ncd"s);
  // Text of an 8-bit part comes converted from its declared charset.
  EXPECT_EQ(mime.text(parts[4]), "caf\u00E9 na\u00EFve\r\n\u00A0\u00FF end");

  test::TempDir dir("store_mime");
  ASSERT_TRUE(mime.save(parts[0], dir / "out.bin"));
  EXPECT_EQ(test::readFile(dir / "out.bin"), payload);
  // Saving replaces what was there.
  ASSERT_TRUE(mime.save(parts[3], dir / "out.bin"));
  EXPECT_EQ(test::readFile(dir / "out.bin"), sevenBit);
  EXPECT_FALSE(mime.save(0, dir / "none.bin"));
  EXPECT_FALSE(mime.save(parts[0], dir / "missing" / "out.bin"));
}

TEST(MimeMessage, BodiesAreTheFirstInlineHtmlAndPlainTextParts) {
  const std::string message = multipart(
      {"Content-Type: multipart/alternative; boundary=\"=_alt\"\r\n\r\n"
       "--=_alt\r\nContent-Type: text/plain; charset=utf-8\r\n"
       "Content-Transfer-Encoding: quoted-printable\r\n\r\nPlain =C3=A9t=C3=A9\r\n"
       "--=_alt\r\nContent-Type: multipart/related; boundary=\"=_rel\"\r\n\r\n"
       "--=_rel\r\nContent-Type: text/html; charset=windows-1252\r\n\r\n<p>\x93Hi\x94</p>\r\n"
       "--=_rel\r\nContent-Type: image/gif\r\nContent-ID: <pic1>\r\n"
       "Content-Transfer-Encoding: base64\r\n\r\nR0lGODlh\r\n"
       "--=_rel--\r\n--=_alt--\r\n",
       // A named text file and a second HTML page are attachments, not bodies.
       "Content-Type: text/plain; name=\"notes.txt\"\r\n\r\nnotes\r\n",
       "Content-Type: text/html\r\nContent-Disposition: attachment\r\n\r\n<p>page</p>\r\n"});
  const MimeMessage mime(message);
  ASSERT_NE(mime.htmlBody(), 0u);
  ASSERT_NE(mime.textBody(), 0u);
  // The line end before a boundary belongs to the boundary.
  EXPECT_EQ(mime.text(mime.textBody()), "Plain \u00E9t\u00E9");
  EXPECT_EQ(mime.text(mime.htmlBody()), "<p>\u201CHi\u201D</p>");
  ASSERT_EQ(mime.attachments().size(), 3u);
  EXPECT_EQ(mime.decodedBytes(mime.attachments()[0]), "GIF89a");
  EXPECT_EQ(mime.fileName(mime.attachments()[1]), "notes.txt");
  EXPECT_EQ(mime.text(mime.attachments()[2]), "<p>page</p>\r\n");
}

TEST(MimeMessage, AMessageWithoutMimeIsItsPlainTextBody) {
  const MimeMessage mime("Subject: old\r\n\r\nJust text.\r\n");
  EXPECT_EQ(mime.htmlBody(), 0u);
  EXPECT_EQ(mime.text(mime.textBody()), "Just text.\r\n");
  EXPECT_TRUE(mime.attachments().empty());
  EXPECT_EQ(mime.text(0), "");
  EXPECT_EQ(mime.fileName(99), "");
}

TEST(MimeMessage, NamesAreDecodedButNotCleaned) {
  const std::string message = multipart({
      // Encoded words in both names; the display name is the Content-Type name.
      "Content-Type: image/jpeg; name=\"=?utf-8?B?w6l0w6kuanBn?=\"\r\n"
      "Content-Disposition: attachment; filename=\"=?iso-8859-1?Q?R=E9sum=E9.jpg?=\"\r\n\r\nx\r\n",
      // A parameter continued and charset-tagged the other standard way.
      "Content-Type: application/pdf\r\n"
      "Content-Disposition: attachment; filename*0*=utf-8''%E2%82%AC;"
      " filename*1=\"-report.pdf\"\r\nContent-Description: =?utf-8?Q?Euro_report?=\r\n\r\nx\r\n",
      // Hostile names come out as the message has them: the caller cleans them.
      "Content-Type: application/octet-stream; name=\"../../etc/passwd\"\r\n\r\nx\r\n",
      // No name at all.
      "Content-Type: application/octet-stream\r\n\r\nx\r\n",
  });
  const MimeMessage mime(message);
  const auto& parts = mime.attachments();
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(mime.fileName(parts[0]), "R\u00E9sum\u00E9.jpg");
  EXPECT_EQ(mime.displayName(parts[0]), "\u00E9t\u00E9.jpg");
  EXPECT_EQ(mime.fileName(parts[1]), "\u20AC-report.pdf");
  EXPECT_EQ(mime.displayName(parts[1]), "Euro report");
  EXPECT_EQ(mime.fileName(parts[2]), "../../etc/passwd");
  EXPECT_EQ(mime.displayName(parts[2]), "../../etc/passwd");
  EXPECT_EQ(mime.fileName(parts[3]), "");
  EXPECT_EQ(mime.displayName(parts[3]), "");
}

TEST(MimeMessage, AnAttachedMessageIsOnePartThatSavesWhole) {
  const std::string inner = "From: bob@example.com\r\nSubject: inner\r\n\r\nInner body.\r\n";
  const MimeMessage mime(multipart({
      "Content-Type: text/plain\r\n\r\nOuter body.\r\n",
      "Content-Type: message/rfc822; name=\"fwd.eml\"\r\n\r\n" + inner,
  }));
  ASSERT_EQ(mime.attachments().size(), 1u);
  const PartHandle attached = mime.attachments()[0];
  EXPECT_EQ(mime.fileName(attached), "fwd.eml");
  EXPECT_THAT(mime.decodedBytes(attached), HasSubstr("Inner body."));
  EXPECT_EQ(mime.text(mime.textBody()), "Outer body.\r\n");
}

TEST(MimeMessage, BadInputGivesFewerPartsNeverACrash) {
  std::string deep = "Content-Type: multipart/mixed; boundary=\"b0\"\r\n\r\n";
  for (int level = 1; level < 300; ++level) {
    deep += "--b" + std::to_string(level - 1) + "\r\nContent-Type: multipart/mixed; boundary=\"b" +
            std::to_string(level) + "\"\r\n\r\n";
  }
  deep += "--b299\r\nContent-Type: text/plain\r\n\r\ndeep\r\n";
  const std::vector<std::string> inputs = {
      "",
      "\r\n\r\n",
      std::string(1000, '\0'),
      "Content-Type: multipart/mixed\r\n\r\nno boundary\r\n",
      "Content-Type: multipart/mixed; boundary=x\r\n\r\n--x\r\n",
      "Content-Type: text/plain; charset=no-such-charset\r\n\r\n\xFF\xFE\r\n",
      "Content-Type: application/x\r\nContent-Transfer-Encoding: base64\r\n\r\n!!!@@@===\r\n",
      "Content-Type: application/x\r\nContent-Transfer-Encoding: x-uuencode\r\n\r\nbegin 644\r\n",
      "Content-Type: message/rfc822\r\n\r\n",
      deep,
  };
  for (const std::string& input : inputs) {
    const MimeMessage mime(input);
    for (PartHandle part = 0; part <= mime.attachments().size() + 2; ++part) {
      mime.text(part);
      mime.fileName(part);
      mime.displayName(part);
    }
  }
}

}  // namespace
}  // namespace mailvane::store
