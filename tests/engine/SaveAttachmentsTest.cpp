#include <gtest/gtest.h>
#include <unistd.h>

#include "codecs/Base64.h"
#include "codecs/UUencode.h"
#include "engine/MimeHeader.h"
#include "engine/SrParser.h"
#include "engine/TextOps.h"
#include "tests/engine/EngineTestSupport.h"

namespace mailvane {
namespace {

using test::crlf;
using test::readFile;
using test::TempFolder;

const std::string kBoundary = "----=_NextPart_000_0001";

// A multipart message built from parts; binary payloads are given already encoded.
class MessageBuilder {
 public:
  explicit MessageBuilder(std::string subject = "Holiday") {
    text_ = crlf("From: a@x\nSubject: " + subject + "\nMIME-Version: 1.0\n"
                 "Content-Type: multipart/related;\n\tboundary=\"" + kBoundary + "\"\n\n"
                 "--" + kBoundary + "\nContent-Type: text/html;\n\tcharset=\"iso-8859-1\"\n"
                 "Content-Transfer-Encoding: quoted-printable\n\n");
  }
  MessageBuilder& html(const std::string& html) {
    text_ += crlf(html + "\n\n");
    return *this;
  }
  MessageBuilder& base64(const std::string& name, const std::string& bytes, const std::string& cid = {}) {
    text_ += crlf("--" + kBoundary + "\nContent-Type: image/gif;\n\tname=\"" + name + "\"\n"
                  "Content-Transfer-Encoding: base64\n" +
                  (cid.empty() ? "" : "Content-ID: <" + cid + ">\n") + "\n");
    text_ += Base64().EncodeArr(bytes) + crlf("\n\n");
    return *this;
  }
  MessageBuilder& sevenBit(const std::string& name, const std::string& body) {
    text_ += crlf("--" + kBoundary + "\nContent-Type: text/plain;\n\tname=\"" + name + "\"\n"
                  "Content-Transfer-Encoding: 7bit\n\n" + body + "\n");
    return *this;
  }
  MessageBuilder& uuencode(const std::string& name, const std::string& bytes) {
    text_ += crlf("--" + kBoundary + "\nContent-Type: application/octet-stream\n\n"
                  "begin 666 " + name + "\n");
    text_ += UUencode().Encode(bytes) + crlf("\nend\n");
    return *this;
  }
  std::string build() const { return text_ + crlf("--" + kBoundary + "--\n"); }

 private:
  std::string text_;
};

SrParser parse(const std::string& message) {
  SrParser p;
  p.Source = message;
  p.identify_mailheader(message);
  p.Getall(message);
  return p;
}

std::string binary(size_t n, int seed) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 31 + static_cast<size_t>(seed) * 7) & 0xFF);
  return s;
}

TEST(Saveattachments, PartsOfOneNameAllSurviveWithTheirOwnReferences) {
  const std::string one = binary(3000, 1), two = binary(2000, 2);
  const auto p = parse(MessageBuilder()
                           .html("<html><img src=3D\"cid:c1\"><img src=3D\"cid:c2\"></html>")
                           .base64("pic.gif", one, "c1")
                           .base64("pic.gif", two, "c2")
                           .sevenBit("note.txt", "first note\n\nsecond paragraph")
                           .sevenBit("note.txt", "other note")
                           .build());
  ASSERT_EQ(p.mailfiles->Count(), 4);
  EXPECT_EQ(p.mailfiles->item(2)->Filename, "pic1.gif");
  EXPECT_EQ(p.mailfiles->item(2)->OrgFilename, "pic.gif");
  EXPECT_EQ(p.mailfiles->item(4)->Filename, "note1.txt");
  EXPECT_EQ(p.Html, "<html><img src=\"pic.gif\"><img src=\"pic1.gif\"></html>");

  TempFolder out;
  SrParser writer = p;
  writer.Saveattachments(out.path(), SrParser::kModeAll);
  EXPECT_EQ(out.files(), (std::vector<std::string>{"Holiday.htm", "Holiday.txt", "note.txt",
                                                   "note1.txt", "pic.gif", "pic1.gif"}));
  EXPECT_EQ(readFile(out.path() / "pic.gif"), one);
  EXPECT_EQ(readFile(out.path() / "pic1.gif"), two);
  EXPECT_EQ(readFile(out.path() / "note.txt"), crlf("first note\n\nsecond paragraph"));
  EXPECT_EQ(readFile(out.path() / "note1.txt"), "other note");
}

TEST(Saveattachments, NameCollidingWithANumberedNameMovesOn) {
  const auto p = parse(MessageBuilder()
                           .html("<html></html>")
                           .base64("pic1.gif", "a")
                           .base64("pic.gif", "b")
                           .base64("pic.gif", "c")
                           .build());
  std::vector<std::string> names;
  for (const auto& part : *p.mailfiles) names.push_back(part->Filename);
  EXPECT_EQ(names, (std::vector<std::string>{"pic1.gif", "pic.gif", "pic2.gif"}));
}

TEST(Saveattachments, ModeFiveRewritesTextPartsKeepsBase64AndNumbersTextAndHtml) {
  const std::string gif = binary(500, 3), data = binary(100, 4);
  auto p = parse(MessageBuilder("Re: Trip")
                     .html("<html>hi</html>")
                     .base64("a.gif", gif)
                     .sevenBit("n.txt", "note")
                     .uuencode("u.bin", data)
                     .build());
  TempFolder out;
  p.Saveattachments(out.path(), SrParser::kModeAll);
  test::writeFile(out.path() / "a.gif", "kept");
  test::writeFile(out.path() / "n.txt", "replaced");
  test::writeFile(out.path() / "u.bin", "replaced");
  p.Saveattachments(out.path(), SrParser::kModeAll);
  EXPECT_EQ(out.files(), (std::vector<std::string>{"Trip.htm", "Trip.txt", "Trip1.htm",
                                                   "Trip1.txt", "a.gif", "n.txt", "u.bin"}));
  EXPECT_EQ(readFile(out.path() / "a.gif"), "kept");
  EXPECT_EQ(readFile(out.path() / "n.txt"), "note");  // the body's bytes, no line end added
  EXPECT_EQ(readFile(out.path() / "u.bin"), data);  // decoded bytes, nothing added
  EXPECT_EQ(readFile(out.path() / "Trip.htm"), crlf("<html>hi</html>\n"));
}

TEST(Saveattachments, SoundsOnlyNumbersRepeatsAndOtherModesOnlyReport) {
  auto p = parse(MessageBuilder().html("<html></html>").base64("Song.MP3", "tune").base64("b.gif", "x").build());
  std::vector<int> progress;
  p.Progress = [&](int32_t v) { progress.push_back(v); };
  TempFolder out;
  p.Saveattachments(out.path(), SrParser::kModeSoundsOnly);
  p.Saveattachments(out.path(), SrParser::kModeSoundsOnly);
  EXPECT_EQ(out.files(), (std::vector<std::string>{"Song.MP3", "Song1.MP3"}));
  p.Saveattachments(out.path(), 4);
  EXPECT_EQ(out.files().size(), 2u);
  EXPECT_EQ(progress, (std::vector<int>{50, 100, 50, 100, 50, 100}));

  TempFolder html, text;
  p.Saveattachments(html.path(), SrParser::kModeHtmlOnly);
  p.Saveattachments(text.path(), SrParser::kModeTextOnly);
  EXPECT_EQ(html.files(), std::vector<std::string>{"Holiday.htm"});
  EXPECT_EQ(text.files(), std::vector<std::string>{"Holiday.txt"});

  SrParser empty;
  empty.Progress = [&](int32_t v) { progress.push_back(v); };
  empty.Getall("nothing");
  const size_t before = progress.size();
  empty.Saveattachments(out.path(), SrParser::kModeAll);
  EXPECT_EQ(progress.size(), before);  // no parts, no events
}

TEST(Saveattachments, NothingIsWrittenOutsideTheFolderAndNothingIsLost) {
  const std::vector<std::string> hostile = {
      "../../escape.gif", "..\\..\\win.gif", "c:\\boot.gif", "..", ".", std::string(300, 'L') + ".gif",
      std::string("nul\0name.gif", 12), "/etc/passwd", "%2e%2e%2fx.gif"};
  MessageBuilder builder("../../" + std::string(300, 'S'));
  builder.html("<html></html>");
  for (size_t i = 0; i < hostile.size(); ++i) builder.base64(hostile[i], "data" + std::to_string(i));
  builder.uuencode("uu.bin", "uu");
  auto p = parse(builder.build());
  ASSERT_EQ(p.mailfiles->Count(), static_cast<int>(hostile.size()) + 1);

  TempFolder root;
  const auto folder = root.path() / "msg";
  std::filesystem::create_directory(folder);
  // A link planted in the folder must not carry a replaced part elsewhere.
  std::filesystem::create_symlink(root.path() / "victim", folder / "uu.bin");
  p.Saveattachments(folder, SrParser::kModeAll);
  const auto files = root.files();
  for (const auto& f : files) EXPECT_TRUE(f.starts_with("msg/")) << f;
  EXPECT_FALSE(std::filesystem::exists(root.path() / "victim"));
  // Every part, the text and the HTML each have a file of their own (uu.bin could not
  // be written through the link, which stays as it was).
  EXPECT_EQ(files.size(), hostile.size() + 1 + 2);
  for (const auto& f : files) EXPECT_LE(std::filesystem::path(f).filename().string().size(), 255u);
}

TEST(Save, WritesTheTextAndALineEndAndReportsNothingOnFailure) {
  TempFolder out;
  SrParser p;
  p.Save(out.path() / "a.txt", std::string("x\0y", 3));
  EXPECT_EQ(readFile(out.path() / "a.txt"), std::string("x\0y\r\n", 5));
  p.Save(out.path() / "a.txt", "short");
  EXPECT_EQ(readFile(out.path() / "a.txt"), "short\r\n");
  p.Save(out.path() / "missing" / "b.txt", "x");  // must simply return
  EXPECT_FALSE(std::filesystem::exists(out.path() / "missing"));
}

TEST(Cleanheader, FixedHeaderThenTheStoredBodyToItsLastCharacter) {
  const std::string message = crlf("From: a@x\nTo: b@y\nSubject: s\nContent-Type: multipart/alternative;\n"
                                   "\tboundary=\"bb\"\n\n--bb\nContent-Type: text/plain\n\nhi\n--bb--\n");
  SrParser p;
  p.Source = message;
  p.identify_mailheader(message);
  const std::string copy = p.Cleanheader();
  const std::string header = crlf(
      "MIME-Version: 1.0\nContent-Type: multipart/related;\n       boundary = \"bb\"\n"
      "       type=\"multipart / alternative\"\nX-Cleaner: Mailvane by Tovelund\nX-Priority: 3\n"
      "X-MSMail-Priority: Normal\nX-Unsent: 1\n"
      "X-MIMEOLE: Produced By Microsoft MimeOLE V6.00.2900.2962\n\n"
      "This is a multi-part message in MIME format.\n");
  EXPECT_EQ(copy, header + crlf("--bb\nContent-Type: text/plain\n\nhi\n--bb--\n"));
  EXPECT_EQ(copy.find("From:"), std::string::npos);
  // Written without building it first, the file is what Save writes of the built copy.
  test::TempFolder out;
  ASSERT_TRUE(p.SaveCleanheader(out.path() / "copy.eml"));
  EXPECT_EQ(readFile(out.path() / "copy.eml"), copy + "\r\n");

  SrParser once;
  once.Source = crlf("Content-Type: multipart/mixed; boundary=\"only\"\n\nbody\n");
  once.identify_mailheader(once.Source);
  EXPECT_EQ(once.Cleanheader(), "");
  EXPECT_FALSE(once.SaveCleanheader(out.path() / "none.eml"));
  EXPECT_FALSE(std::filesystem::exists(out.path() / "none.eml"));
  EXPECT_FALSE(p.SaveCleanheader(out.path() / "missing" / "copy.eml"));
}

TEST(Cleanheader, APlainMessageKeepsItsOwnTypeAndEncodingLinesAndReadsBackWhole) {
  for (const std::string ending : {"\r\n", "\n"}) {
    std::string message = "From: a@x\nSubject: plain\nContent-Type: text/plain;\n\tcharset=\"utf-8\"\n"
                           "Content-Transfer-Encoding: quoted-printable\n\nGr=C3=BC=C3=9Fe\nline two\n";
    if (ending == "\r\n") message = crlf(message);
    SrParser p;
    p.Source = message;
    p.identify_mailheader(message);
    const std::string copy = p.Cleanheader();
    ASSERT_FALSE(copy.empty());
    EXPECT_EQ(copy.find("boundary"), std::string::npos);
    EXPECT_EQ(copy.find("From:"), std::string::npos);
    // A mail reader finds the message's own type and encoding, then the body as stored.
    const engine::MimeLines lines(copy);
    const auto header = engine::MimeHeader::read(lines, 0, true, [](std::string_view) { return false; });
    EXPECT_EQ(engine::MimeParams(header.contentType).mainValue(), "text/plain");
    EXPECT_EQ(engine::MimeParams(header.contentType).get("charset"), "utf-8");
    EXPECT_EQ(engine::trimWhite(header.transferEncoding), "quoted-printable");
    EXPECT_EQ(copy.substr(header.bodyStart), "Gr=C3=BC=C3=9Fe" + ending + "line two" + ending);
    EXPECT_NE(copy.find("X-Unsent: 1\r\n"), std::string::npos);
    EXPECT_LT(copy.find("X-Unsent: 1\r\n"), header.bodyStart);  // a header field, read as one
  }
}

}  // namespace
}  // namespace mailvane
