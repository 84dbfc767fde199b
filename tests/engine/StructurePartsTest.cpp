#include <gtest/gtest.h>

#include "codecs/UUencode.h"
#include "engine/SrParser.h"
#include "tests/engine/EngineTestSupport.h"

namespace mailvane {
namespace {

using namespace std::string_literals;
using test::crlf;
using test::readFile;
using test::TempFolder;

std::string uu(std::string_view data) {
  std::string lines = UUencode().Encode(data);
  std::erase(lines, '\r');
  return lines;
}

const std::string kHead = "From: a@x\nSubject: shapes\nContent-Type: multipart/mixed; boundary=\"b\"\n\n";

// A message with a plain-text body followed by the given parts (written with "\n", each
// without a line end of its own).
std::string mixed(std::initializer_list<std::string> parts) {
  std::string message = kHead + "--b\nContent-Type: text/plain\n\nbody text\n";
  for (const auto& part : parts) message += "--b\n" + part + "\n";
  return crlf(message + "--b--\n");
}

struct Parsed {
  SrParser parser;
  explicit Parsed(std::string message) {
    parser.Source = std::move(message);
    parser.Getall(parser.Source);
  }
  int count() const { return parser.mailfiles->Count(); }
  const nlMail& part(int i) const { return *parser.mailfiles->item(i); }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& part : *parser.mailfiles) out.push_back(part->Filename);
    return out;
  }
};

struct Shape {
  const char* label;
  std::string part;
  std::string name, encoding, bytes;
};

TEST(StructureParts, EveryLeafShapeGetsARecordAndItsFileHoldsTheDecodedBytes) {
  const Shape shapes[] = {
      {"lower-case names, upper-case encoding",
       "content-type: application/pdf; name=\"doc.pdf\"\ncontent-transfer-encoding: BASE64\n\nQUJD\nREVG",
       "doc.pdf", "BASE64", "ABCDEF"},
      {"encoding line before the type",
       "Content-Transfer-Encoding: quoted-printable\nContent-Type: text/plain; name=\"q.txt\"\n\na=3Db=\nc\nd",
       "q.txt", "quoted-printable", "a=bc\r\nd"},
      {"folded header lines",
       "Content-Type: application/octet-stream;\n\tname=\n \"fold.bin\"\nContent-Transfer-Encoding:\n 8bit\n\n"
       "\xE9t\xE9\n",
       "fold.bin", "8bit", "\xE9t\xE9\r\n"},
      {"binary", "Content-Type: application/zip; name=z.zip\nContent-Transfer-Encoding: binary\n\nPK\x03\x04\0\r"s + "x",
       "z.zip", "binary", "PK\x03\x04\0\rx"s},
      {"no transfer encoding, nameless", "Content-Type: image/png\n\n\x89PNG", "part.png", "", "\x89PNG"},
      {"7bit, nameless", "content-type: text/csv\ncontent-transfer-encoding: 7bit\n\na;b\n1;2\n", "part.csv",
       "7bit", "a;b\r\n1;2\r\n"},
      {"x-uuencode", "Content-Type: application/octet-stream; name=\"u.dat\"\n"
       "Content-Transfer-Encoding: x-uuencode\n\nbegin 755 u.dat\n" + uu("uudata") + "\nend",
       "u.dat", "x-uuencode", "uudata"},
      {"nested multiparts",
       "Content-Type: multipart/alternative; boundary=\"n1\"\n\n--n1\n"
       "Content-Type: multipart/related; boundary=\"n2\"\n\n--n2\nContent-Type: text/html\n\n<p>x</p>\n"
       "--n2\ncontent-type: image/gif\ncontent-transfer-encoding: base64\n\nR0lGOA==\n--n2--\n--n1--",
       "part.gif", "base64", "GIF8"},
      {"inside an attached message",
       "Content-Type: message/rfc822\n\nFrom: b@y\nSubject: inner\n"
       "Content-Type: multipart/mixed; boundary=\"in\"\n\n--in\nContent-Type: text/plain\n\ninner text\n"
       "--in\nContent-Type: application/pdf; name=\"inner.pdf\"\n"
       "Content-Transfer-Encoding: quoted-printable\n\n%PDF=2D1\n--in--",
       "inner.pdf", "quoted-printable", "%PDF-1"},
      {"digest parts are messages",
       "Content-Type: multipart/digest; boundary=\"d\"\n\n--d\n\nSubject: one\n"
       "Content-Type: application/octet-stream\nContent-Transfer-Encoding: base64\n\nQUJD\n--d--",
       "part.bin", "base64", "ABC"},
  };
  for (const auto& s : shapes) {
    SCOPED_TRACE(s.label);
    Parsed p(mixed({s.part}));
    ASSERT_EQ(p.count(), 1);  // the text body is no part
    EXPECT_TRUE(p.part(1).fromStructure);
    EXPECT_EQ(p.part(1).Filename, s.name);
    EXPECT_EQ(p.part(1).encoding, s.encoding);
    TempFolder out;
    p.parser.Saveattachments(out.path(), SrParser::kModeAll);
    EXPECT_EQ(readFile(out.path() / s.name), s.bytes);
  }
}

TEST(StructureParts, NamesAreDecodedCleanedOrInventedFromTheType) {
  const std::pair<std::string, std::string> cases[] = {
      {"Content-Type: application/pdf\nContent-Disposition: attachment;\n filename*0*=utf-8''caf%C3%A9;\n"
       " filename*1*=_menu.pdf\nContent-Transfer-Encoding: base64\n\nQUJD",
       "caf\xE9_menu.pdf"},
      {"Content-Type: image/gif; name=\"n.gif\"\nContent-Disposition: attachment; filename=\"f.gif\"\n"
       "Content-Transfer-Encoding: quoted-printable\n\nGIF",
       "f.gif"},
      {"content-type: image/gif; name=\"only.gif\"\n\nGIF", "only.gif"},
      {"content-type: application/msword\ncontent-disposition: inline; filename=\"=?utf-8?B?w7xiZXIuZG9j?=\"\n\nx",
       "\xFC" "ber.doc"},
      {"content-type: application/pdf;\n name=\"=?iso-8859-1?Q?a=E4?=\n =?iso-8859-1?Q?b.pdf?=\"\n\nx",
       "a\xE4" "b.pdf"},
      {"content-type: application/pdf; name=\"Re: my (draft) #2.pdf\"\n\nx", "mydraft2.pdf"},
      {"content-type: application/pdf\n\nx", "part.pdf"},
      {"content-type: application/x-unheard-of\n\nx", "part.bin"},
      {"content-type: text/plain\ncontent-disposition: attachment\n\nx", "part.txt"},
  };
  for (const auto& [part, name] : cases) {
    Parsed p(mixed({part}));
    ASSERT_EQ(p.count(), 1) << part;
    EXPECT_EQ(p.part(1).Filename, name) << part;
  }
}

TEST(StructureParts, NamesAreUniqueAcrossRuleAndStructureRecords) {
  Parsed p(mixed({"content-type: image/gif; name=\"pic.gif\"\ncontent-transfer-encoding: base64\n\nQUJD",
                  "content-type: image/png\n\nA", "content-type: image/png\n\nB",
                  "content-type: text/plain; name=\"part.png\"\n\nC",
                  "Content-Type: image/gif; name=\"pic.gif\"\nContent-Transfer-Encoding: base64\n\nREVG"}));
  // The rules' record comes first and keeps the name; added records follow in text order.
  EXPECT_EQ(p.names(),
            (std::vector<std::string>{"pic.gif", "pic1.gif", "part.png", "part1.png", "part2.png"}));
  EXPECT_FALSE(p.part(1).fromStructure);
  TempFolder out;
  p.parser.Saveattachments(out.path(), SrParser::kModeAll);
  EXPECT_EQ(readFile(out.path() / "pic.gif"), "DEF");
  EXPECT_EQ(readFile(out.path() / "pic1.gif"), "ABC");
  EXPECT_EQ(readFile(out.path() / "part2.png"), "C");
}

TEST(StructureParts, ContentIdOfAnAddedPartIsRewrittenInTheHtml) {
  Parsed p(crlf(kHead + "--b\nContent-Type: text/html\nContent-Transfer-Encoding: quoted-printable\n\n"
                        "<html><img src=3D\"cid:logo@x\"></html>\n"
                        "--b\ncontent-type: image/png\ncontent-transfer-encoding: base64\n"
                        "content-id: <logo@x>\n\niVBORw==\n--b--\n"));
  ASSERT_EQ(p.count(), 1);
  EXPECT_EQ(p.part(1).contID, "<logo@x>");
  EXPECT_NE(p.parser.Html.find("<img src=\"part.png\">"), std::string::npos) << p.parser.Html;
}

TEST(StructureParts, RuleRecordsStayFirstAndUnchangedAndAreNotAddedTwice) {
  Parsed p(mixed({"content-type: application/pdf\n\nQUJD",
                  "Content-Type: image/gif; name=\"a.gif\"\nContent-Transfer-Encoding: base64\n"
                  "Content-ID: <g1>\n\nR0lGOA==\n\n",
                  "Content-Type: application/octet-stream\n\nbegin 644 w.bin\n" + uu("wrapped") + "\nend\n",
                  "Content-Type: text/plain; name=\"\"\nContent-Transfer-Encoding: 7bit\n\none\ntwo"}));
  ASSERT_EQ(p.count(), 4);
  const nlMail& gif = p.part(1);
  EXPECT_EQ(gif.Filename, "a.gif");
  EXPECT_EQ(gif.encoding, "Base64");
  EXPECT_EQ(gif.contID, "<g1>");
  EXPECT_EQ(gif.BaseContent, "R0lGOA==");
  EXPECT_EQ(p.part(2).Filename, "w.bin");
  EXPECT_EQ(p.part(2).encoding, "uuencode");
  // An empty name gives the rules' record an invented one.
  EXPECT_FALSE(p.part(3).Filename.empty());
  EXPECT_EQ(p.part(3).encoding, "7bit");
  for (int i = 1; i <= 3; ++i) EXPECT_FALSE(p.part(i).fromStructure) << i;
  EXPECT_EQ(p.part(4).Filename, "part.pdf");
  EXPECT_TRUE(p.part(4).fromStructure);
  TempFolder out;
  p.parser.Saveattachments(out.path(), SrParser::kModeAll);
  EXPECT_EQ(readFile(out.path() / p.part(3).Filename), "one\r\ntwo");  // no line end added
  EXPECT_EQ(readFile(out.path() / "w.bin"), "wrapped");
}

TEST(StructureParts, BrokenMessagesGiveWhatTheyHoldAndWriteOnlyIntoTheFolder) {
  const std::string head = "Subject: ../../escape\nContent-Type: multipart/mixed; boundary=\"b\"\n\n";
  const std::string b64 = "--b\ncontent-type: application/x-data\ncontent-transfer-encoding: base64\n\n";
  struct Broken {
    const char* label;
    std::string message;
    std::vector<std::string> bytes;  // of each record's file, in order
  } cases[] = {
      {"no closing boundary", head + b64 + "QUJD\n--b\ncontent-type: application/x-data\n\ntail",
       {"ABC", "tail"}},
      {"truncated base64", head + b64 + "QUJDRE", {"ABCD"}},
      {"garbled base64", head + b64 + "Q U!J\tD\n*R*E*V*G*\n--b--\n", {"ABCDEF"}},
      {"boundary that never occurs",
       "Content-Type: multipart/mixed; boundary=\"never\"\n\n--b\ncontent-type: image/png\n\nxyz\n", {}},
      {"hostile names",
       head + "--b\ncontent-type: image/gif; name=\"../../up.gif\"\n\nA\n"
              "--b\ncontent-type: image/gif\ncontent-disposition: attachment;"
              " filename*=utf-8''%2E%2E%2F%2E%2E%2Fetc%00x%2Fpasswd\n\nB\n"
              "--b\ncontent-type: image/gif; name=\"..\"\n\nC\n--b--\n",
       {"A", "B", "C"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    for (const std::string& message : {crlf(c.message), c.message}) {
      Parsed p(message);
      ASSERT_EQ(p.count(), static_cast<int>(c.bytes.size()));
      TempFolder root;
      const auto folder = root.path() / "msg";
      std::filesystem::create_directory(folder);
      p.parser.Saveattachments(folder, SrParser::kModeAll);
      for (int i = 1; i <= p.count(); ++i)
        EXPECT_EQ(readFile(folder / p.part(i).Filename), c.bytes[i - 1]) << p.part(i).Filename;
      const auto files = root.files();
      EXPECT_EQ(files.size(), c.bytes.size() + 2);  // and the text and HTML files
      for (const auto& f : files) EXPECT_TRUE(f.starts_with("msg/")) << f;
    }
  }
}

}  // namespace
}  // namespace mailvane
