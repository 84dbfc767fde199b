// The extraction walk: one folder per message within a walk, the shared folders of the
// "only" commands, the unsent copy, and names that must stay inside the output folder.
#include "engine/ExtractionWalk.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <set>

#include "tests/cli/CliTestSupport.h"

namespace mailvane {
namespace {

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

TEST(ExtractionWalk, SameSubjectGivesEachMessageItsOwnFolderAndTheSameLayoutTwice) {
  TempDir out;
  std::vector<std::string> pictures;
  for (int i = 0; i < 3; ++i) pictures.push_back(binaryPayload(i, 3000 + 100 * i));
  auto walkOnce = [&] {
    ExtractionWalk walk(out.path(), {});
    for (const auto& picture : pictures)
      ASSERT_TRUE(extractText(walk, oeMessage("Hi", "image001.gif", picture)).ok);
  };
  walkOnce();
  EXPECT_EQ(foldersIn(out.path()), (std::set<std::string>{"Hi/", "Hi1/", "Hi2/"}));
  const char* folders[] = {"Hi", "Hi1", "Hi2"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(readBytes(out / folders[i] / "image001.gif"), pictures[i]) << folders[i];
    // Each page shows its own picture: the cid link points at the file beside it.
    EXPECT_NE(readBytes(out / folders[i] / "Hi.htm").find("src=\"image001.gif\""),
              std::string::npos);
  }
  const auto first = treeOf(out.path());
  walkOnce();
  EXPECT_EQ(foldersIn(out.path()), (std::set<std::string>{"Hi/", "Hi1/", "Hi2/"}));
  const auto second = treeOf(out.path());
  for (const auto& [name, bytes] : first) {
    ASSERT_TRUE(second.count(name)) << name;
    EXPECT_EQ(second.at(name), bytes) << name;
  }
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
    EXPECT_NE(copy.find("X-Unsent: 1\r\n"), std::string::npos);
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

TEST(ExtractionWalk, UnsentCopyThatCannotBeWrittenFailsThatMessage) {
  TempDir out;
  fs::create_directories(out / "Hi" / "Hi.eml");  // a folder in the way of the copy
  ExtractionChoice choice;
  choice.unsent = UnsentCopy::Eml;
  ExtractionWalk walk(out.path(), choice);
  const auto result = extractText(walk, oeMessage("Hi", "a.gif", "GIF89a"));
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("Hi.eml"), std::string::npos);
  EXPECT_TRUE(fs::is_directory(out / "Hi" / "Hi.eml"));
}

TEST(ExtractionWalk, AFileInTheWayOfTheMessageFolderFailsThatMessage) {
  TempDir out;
  writeBytes(out / "Hi", "not a folder");
  ExtractionWalk walk(out.path(), {});
  const auto result = extractText(walk, oeMessage("Hi", "a.gif", "GIF89a"));
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("Hi"), std::string::npos);
  EXPECT_EQ(readBytes(out / "Hi"), "not a folder");
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

// Files may grow to 64 KiB while it lives: a bigger write fails part way, as on a full
// disk (the signal that would end the process is ignored, so the write says so).
class FileSizeLimit {
 public:
  FileSizeLimit() {
    ::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    const rlimit small{64 * 1024, saved_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved_); }

 private:
  rlimit saved_{};
};

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
      EXPECT_NE(result.error.find(c.file), std::string::npos) << c.file << ": " << result.error;
    }
    const auto tree = treeOf(out.path());
    EXPECT_EQ(tree.count(std::string("Full/") + c.file), 0u) << c.file;
    for (const auto& [name, bytes] : tree) EXPECT_EQ(name.find(".mailvane-"), std::string::npos) << name;
    ExtractionWalk again(out.path(), choice);
    EXPECT_TRUE(extractText(again, c.message).ok) << c.file;
    EXPECT_EQ(treeOf(out.path()).count(std::string("Full/") + c.file), 1u) << c.file;
  }
}

}  // namespace
}  // namespace mailvane
