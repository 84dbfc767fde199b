// The extraction walk: one folder per message within a walk, the shared folders of the
// "only" commands, the unsent copy, and names that must stay inside the output folder.
#include "engine/ExtractionWalk.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "tests/cli/CliTestSupport.h"

namespace mailvane {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using namespace mailvane::testing;

ExtractionResult extractText(ExtractionWalk& walk, const std::string& text) {
  SrParser pars;
  return walk.parseAndExtract(pars, text);
}

std::set<std::string> foldersIn(const fs::path& root) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(root))
    names.insert(entry.path().filename().string() + (entry.is_directory() ? "/" : ""));
  return names;
}

TEST(ExtractionWalk, NumbersSkipNamesUsedEarlierInTheWalkAndIgnoreCase) {
  TempDir out;
  ExtractionWalk walk(out.path(), {});
  std::vector<std::string> got;
  for (const char* subject : {"Hi", "Hi1", "Hi", "hi", "Other"})
    got.push_back(extractText(walk, oeMessage(subject, "a.gif", "GIF89a")).folder
                      .filename().string());
  EXPECT_EQ(got, (std::vector<std::string>{"Hi", "Hi1", "Hi2", "hi3", "Other"}));
}

TEST(ExtractionWalk, FolderLeftByAnEarlierRunIsUsedAsItIs) {
  TempDir out;
  writeBytes(out / "Hi" / "keep.txt", "earlier");
  ExtractionWalk walk(out.path(), {});
  const auto result = extractText(walk, oeMessage("Hi", "a.gif", "GIF89a"));
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.folder, out / "Hi");
  EXPECT_EQ(readBytes(out / "Hi" / "keep.txt"), "earlier");
  EXPECT_EQ(readBytes(out / "Hi" / "a.gif"), "GIF89a");
}

TEST(ExtractionWalk, OnlyCommandsPutEveryMessageIntoOneSharedFolder) {
  TempDir out;
  ExtractionChoice html;
  html.command = ExtractCommand::HtmlOnly;
  ExtractionWalk walk(out.path(), html);
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(extractText(walk, oeMessage("Hi", "a.gif", "GIF89a")).ok);
  EXPECT_EQ(foldersIn(out.path()), (std::set<std::string>{"Html/"}));
  EXPECT_EQ(namesIn(treeOf(out / "Html")),
            (std::vector<std::string>{"Hi.htm", "Hi1.htm", "Hi2.htm"}));
}

TEST(ExtractionWalk, UnsentCopyIsNamedAfterTheMessageInsideItsFolder) {
  TempDir out;
  ExtractionChoice choice;
  choice.unsent = UnsentCopy::Nws;
  choice.saveText = false;
  ExtractionWalk walk(out.path(), choice);
  ASSERT_TRUE(extractText(walk, oeMessage("Hi", "a.gif", "GIF89a")).ok);
  ASSERT_TRUE(extractText(walk, oeMessage("Hi", "a.gif", "GIF89a")).ok);
  for (const char* folder : {"Hi", "Hi1"}) {
    const std::string copy = readBytes(out / folder / "Hi.nws");
    EXPECT_EQ(copy.rfind("MIME-Version: 1.0\r\n", 0), 0u) << folder;
    EXPECT_THAT(copy, HasSubstr("X-Unsent: 1\r\n"));
    EXPECT_FALSE(fs::exists(out / folder / "Hi.txt"));  // --no-text
  }
}

TEST(ExtractionWalk, UnsentCopyThatCannotBeBuiltIsReportedNotWrittenEmpty) {
  TempDir out;
  ExtractionChoice choice;
  choice.unsent = UnsentCopy::Eml;
  ExtractionWalk walk(out.path(), choice);
  // The boundary is declared but no delimiter line follows: there is no body to copy.
  const auto result = extractText(
      walk, "Subject: Lonely\r\nContent-Type: multipart/mixed; boundary=\"XYZ\"\r\n\r\nbody\r\n");
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.empty());
  EXPECT_FALSE(fs::exists(out / "Lonely" / "Lonely.eml"));
  EXPECT_TRUE(fs::exists(out / "Lonely" / "Lonely.htm"));  // the rest is still written
}

// A file where the message folder goes, or a folder where its copy goes, fails that
// message and is left as it was.
TEST(ExtractionWalk, AnEntryInTheWayOfWhatAMessageWritesFailsThatMessage) {
  for (const bool fileInTheWay : {true, false}) {
    TempDir out;
    const fs::path blocked = fileInTheWay ? out / "Hi" : out / "Hi" / "Hi.eml";
    if (fileInTheWay) {
      writeBytes(blocked, "not a folder");
    } else {
      fs::create_directories(blocked);
    }
    ExtractionChoice choice;
    choice.unsent = UnsentCopy::Eml;
    ExtractionWalk walk(out.path(), choice);
    const auto result = extractText(walk, oeMessage("Hi", "a.gif", "GIF89a"));
    EXPECT_FALSE(result.ok) << blocked;
    EXPECT_THAT(result.error, HasSubstr(blocked.filename().string()));
    if (fileInTheWay) {
      EXPECT_EQ(readBytes(blocked), "not a folder");  // left as it was
    } else {
      EXPECT_TRUE(fs::is_directory(blocked));
    }
  }
}

TEST(ExtractionWalk, MessageNamesDropDotsAndReachDiskAsUtf8) {
  SrParser pars;
  pars.Subject = "Meeting on 12.04.2006";
  EXPECT_EQ(ExtractionWalk::messageName(pars), "Meetingon12042006");
  pars.Subject = "Caf\xE9 au lait";
  EXPECT_EQ(ExtractionWalk::messageName(pars), "Caf\xC3\xA9" "aulait");
}

TEST(ExtractionWalk, HostileSubjectsStayOneFolderBelowTheOutputFolder) {
  TempDir root;
  const fs::path out = root / "out";
  fs::create_directory(out);
  ExtractionWalk walk(out, {});
  const std::string hostile[] = {
      "../../escaped", "..\\..\\escaped", std::string("a\0b/../../c", 11), "/etc/passwd",
      std::string(300, '\xE9'), std::string(300, 'x') + ".gif", "...", ""};
  for (const std::string& subject : hostile) {
    const auto result = extractText(walk, oeMessage(subject, "a.gif", "GIF89a"));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.folder.parent_path(), out);
    EXPECT_LE(result.folder.filename().string().size(), ExtractionWalk::kMaxNameBytes + 5);
  }
  EXPECT_EQ(foldersIn(root.path()), (std::set<std::string>{"out/"}));
  EXPECT_EQ(foldersIn(out).size(), std::size(hostile));
}

TEST(ExtractionWalk, EveryKindOfFileThatCannotBeWrittenFailsItsMessageCutNothingAndARetryWritesIt) {
  const std::string big(100000, 'x');
  const std::string head = "From: a@x\r\nSubject: Full\r\nMIME-Version: 1.0\r\n"
                           "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n";
  auto part = [](const std::string& header, const std::string& body) {
    return "--b\r\n" + header + "\r\n\r\n" + body + "\r\n";
  };
  const std::string text = part("Content-Type: text/plain; charset=us-ascii", "hi");
  struct Case {
    const char* file;  // the one file too big to write
    std::string message;
  };
  const Case cases[] = {
      {"Full.txt", head + part("Content-Type: text/plain; charset=us-ascii", big) + "--b--\r\n"},
      {"Full.htm", head + text + part("Content-Type: text/html", "<html>" + big + "</html>") + "--b--\r\n"},
      {"Full.eml", head + text + "--b--\r\n" + big + "\r\n"},  // an epilogue only the copy carries
      {"b64.bin", head + text + part("Content-Type: application/octet-stream; name=\"b64.bin\"\r\n"
                                     "Content-Transfer-Encoding: base64", base64Lines(big)) + "--b--\r\n"},
      {"seven.txt", head + text + part("Content-Type: text/plain; name=\"seven.txt\"\r\n"
                                       "Content-Transfer-Encoding: 7bit", big) + "--b--\r\n"},
      {"qp.txt", head + text + part("Content-Type: text/plain; name=\"qp.txt\"\r\n"
                                    "Content-Transfer-Encoding: quoted-printable", big) + "--b--\r\n"},
  };
  for (const Case& c : cases) {
    TempDir out;
    const ExtractionChoice choice{ExtractCommand::All, true, UnsentCopy::Eml};
    {
      FileSizeLimit limit;
      ExtractionWalk walk(out.path(), choice);
      const auto result = extractText(walk, c.message);
      EXPECT_FALSE(result.ok) << c.file;
      EXPECT_THAT(result.error, HasSubstr(c.file)) << c.file << ": " << result.error;
    }
    const auto tree = treeOf(out.path());
    EXPECT_EQ(tree.count(std::string("Full/") + c.file), 0u) << c.file;
    for (const auto& [name, bytes] : tree) EXPECT_THAT(name, Not(HasSubstr(".mailvane-")));
    ExtractionWalk again(out.path(), choice);
    EXPECT_TRUE(extractText(again, c.message).ok) << c.file;
    EXPECT_EQ(treeOf(out.path()).count(std::string("Full/") + c.file), 1u) << c.file;
  }
}

}  // namespace
}  // namespace mailvane
