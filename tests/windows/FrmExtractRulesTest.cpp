// The text rules of the personal folders window: the unsent rewrite of a source, the
// "cid:" references of the HTML, and the folder name of a subject.
#include <gtest/gtest.h>

#include <string>

#include "windows/FrmExtract/CidLinks.h"
#include "windows/FrmExtract/StoreMessageWriter.h"
#include "windows/FrmExtract/UnsentSource.h"

namespace mailvane {
namespace {

constexpr const char* kUnsentLines =
    "\r\nX-Priority: 3\r\nX-MSMail-Priority: Normal\r\nX-Unsent: 1\r\n"
    "X-MIMEOLE: Produced By Microsoft MimeOLE V6.00.2900.2962\r\n\r\n";

struct UnsentCase {
  const char* what;
  std::string source;
  std::string expected;
};

TEST(UnsentSourceTest, KeepsTheHeaderFromMimeVersionThroughTheBoundaryAndMarksItUnsent) {
  const std::string preamble = "This is a multi-part message in MIME format.\r\n\r\n--b--\r\n";
  const UnsentCase cases[] = {
      {"multipart: lines before MIME-Version and after the boundary go",
       "From: a\r\nmime-VERSION: 1.0\r\nContent-Type: multipart/mixed;\r\n\tboundary=\"b\"\r\n"
       "X-Mailer: x\r\n\r\n" +
           preamble,
       "mime-VERSION: 1.0\r\nContent-Type: multipart/mixed;\r\n\tboundary=\"b\"" +
           std::string(kUnsentLines) + preamble},
      {"no MIME-Version: unchanged", "From: a\r\nSubject: s\r\n\r\nbody\r\n",
       "From: a\r\nSubject: s\r\n\r\nbody\r\n"},
      {"no multi-part line: only cut",
       "From: a\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; "
       "charset=\"us-ascii\"\r\n\r\nHi\r\n",
       "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=\"us-ascii\"\r\n\r\nHi\r\n"},
      {"boundary quote never closed: only cut",
       "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b\r\n\r\n" + preamble,
       "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b\r\n\r\n" + preamble},
      {"unquoted boundary: the next quote after position 10 ends the kept header",
       "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b; x=\"y\"\r\n\r\n" + preamble,
       "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b; x=\"" +
           std::string(kUnsentLines) + preamble},
      {"empty source", "", ""},
  };
  for (const UnsentCase& c : cases)
    EXPECT_EQ(UnsentSource::rewrite(c.source), c.expected) << c.what;
}

ListedPart part(std::string contentId, std::string saved) {
  ListedPart listed;
  listed.contentId = std::move(contentId);
  listed.savedName = std::move(saved);
  return listed;
}

TEST(CidLinksTest, ReferencesPointAtTheSavedPartsAndOnlyAtWholeIds) {
  const std::vector<ListedPart> parts = {part("a@x", "pic.gif"), part("", "nameless.bin"),
                                         part("a@x.more", "other.png"), part("a@x", "late.gif")};
  const struct {
    const char* html;
    const char* expected;
  } cases[] = {
      {"<img src=\"cid:a@x\">", "<img src=\"pic.gif\">"},
      {"<img src=cid:a@x><img src='cid:a@x.more'>", "<img src=pic.gif><img src='other.png'>"},
      {"url(cid:a@x) cid:a@x", "url(pic.gif) pic.gif"},
      {"cid:a@x.mor\"", "cid:a@x.mor\""},  // no part has that ID
      {"CID:a@x", "CID:a@x"},              // the rule matches "cid:" as written
      {"cid:", "cid:"},
      {"no references", "no references"},
  };
  for (const auto& c : cases) EXPECT_EQ(CidLinks::rewrite(c.html, parts), c.expected) << c.html;
}

TEST(StoreMessageWriterTest, FolderNamesLoseTheRuleCharactersAndStayOneName) {
  const struct {
    std::string subject;
    std::string expected;
  } cases[] = {
      {"Re: Tree (photos!)", "Re Tree photos)"},
      {"a*b.c(d:e!f;g\\h/i?j\xC2\xA8k", "abcdefghijk"},
      {"../../etc/passwd", "etcpasswd"},
      {std::string("nul\0inside", 10), "nulinside"},
      {"Caf\xC3\xA9 \"quoted\" <x>", "Caf\xC3\xA9 \"quoted\" <x>"},
  };
  for (const auto& c : cases) EXPECT_EQ(StoreMessageWriter::folderName(c.subject), c.expected);

  // Nothing left: a name of the engine's for nameless messages, never the output folder.
  for (const char* empty : {"", "...", "?!"}) {
    const std::string name = StoreMessageWriter::folderName(empty);
    EXPECT_FALSE(name.empty()) << empty;
    EXPECT_EQ(name.find_first_of("/."), std::string::npos) << name;
  }
  // Long subjects are cut to one file name, never inside a character.
  std::string longAccents;
  for (int i = 0; i < 200; ++i) longAccents += "\xC3\xA9";
  const std::string cut = StoreMessageWriter::folderName(longAccents);
  EXPECT_EQ(cut.size(), 240u);
  EXPECT_EQ(cut.substr(cut.size() - 2), "\xC3\xA9");
}

}  // namespace
}  // namespace mailvane
