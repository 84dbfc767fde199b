// What an export writes: the mboxrd form, the date and sender of its "From " lines, and
// output names for store folders (escaping per format, distinct names, length limits).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "store/ExportNames.h"
#include "store/Mboxrd.h"
#include "store/MessageEnvelope.h"
#include "tests/store/StoreTestSupport.h"

namespace mailvane::store {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

struct NameCase {
  std::string name;
  std::string maildir;
  std::string mbox;
};

TEST(ExportNames, EachPartIsEscapedForItsFormat) {
  const NameCase cases[] = {
      {"Inbox", "Inbox", "Inbox"},
      {"Hytta 2008", "Hytta 2008", "Hytta 2008"},
      {"a.b", "a\\2eb", "a.b"},
      {"a/b", "a\\2fb", "a%2fb"},
      {"a\\b", "a\\5cb", "a\\b"},
      {"..", "\\2e\\2e", "%2e."},
      {".hidden", "\\2ehidden", "%2ehidden"},
      {"Tom & Jerry", "Tom &- Jerry", "Tom & Jerry"},
      {"100%", "100%", "100%25"},
      {"Caf\u00E9", "Caf&AOk-", "Caf\u00E9"},
      {"\u65E5\u672C\u8A9E", "&ZeVnLIqe-", "\u65E5\u672C\u8A9E"},
      {"\U0001F600!", "&2D3eAA-!", "\U0001F600!"},
      {"bell\x07", "bell&AAc-", "bell%07"},
      {"tab\there", "tab&AAk-here", "tab%09here"},
      // Bytes that are not UTF-8 stay apart from any character.
      {"Caf\xE9", "Caf&9+k-", "Caf%e9"},
  };
  for (const NameCase& c : cases) {
    EXPECT_EQ(maildirNamePart(c.name), c.maildir) << c.name;
    EXPECT_EQ(mboxNamePart(c.name), c.mbox) << c.name;
  }
}

std::vector<FolderToName> sampleTree() {
  return {
      {1, 0, "Local Folders"}, {2, 1, "Inbox"},     {3, 2, "Hytta 2008"},
      {4, 1, "inbox"},                               // same name but for letter case
      {5, 1, "Inbox"},                               // same name again
      {6, 1, "a/b"},           {7, 0, "Inbox.sbd"},  // looks like the mbox children folder of a top
                                                     // "Inbox"
      {8, 0, "Inbox"},         {9, 99, "Orphan"},    // parent not listed: at the top
  };
}

TEST(ExportNames, FoldersNestAndRepeatsAreNumbered) {
  EXPECT_EQ(exportFolderNames(sampleTree(), ExportFormat::Maildir),
            (std::vector<std::string>{".Local Folders", ".Local Folders.Inbox",
                                      ".Local Folders.Inbox.Hytta 2008", ".Local Folders.inbox (2)",
                                      ".Local Folders.Inbox (3)", ".Local Folders.a\\2fb",
                                      ".Inbox\\2esbd", ".Inbox", ".Orphan"}));
  EXPECT_EQ(
      exportFolderNames(sampleTree(), ExportFormat::Mbox),
      (std::vector<std::string>{"Local Folders", "Local Folders.sbd/Inbox",
                                "Local Folders.sbd/Inbox.sbd/Hytta 2008",
                                "Local Folders.sbd/inbox (2)", "Local Folders.sbd/Inbox (3)",
                                "Local Folders.sbd/a%2fb", "Inbox.sbd", "Inbox (2)", "Orphan"}));
}

// Every output name is distinct (ignoring case), within the file-name limit, and holds
// nothing that leaves its place.
void expectSafe(const std::vector<std::string>& paths, ExportFormat format) {
  std::set<std::string> seen;
  for (const std::string& path : paths) {
    std::string lower = path;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(seen.insert(lower).second) << path;
    size_t start = 0;
    while (start <= path.size()) {
      const size_t end = std::min(path.find('/', start), path.size());
      const std::string part = path.substr(start, end - start);
      EXPECT_FALSE(part.empty()) << path;
      EXPECT_NE(part, ".");
      EXPECT_NE(part, "..");
      EXPECT_LE(part.size() + (format == ExportFormat::Mbox ? 4 : 0), 255u) << path;
      start = end + 1;
    }
    if (format == ExportFormat::Maildir) {
      EXPECT_THAT(path, Not(HasSubstr("/")));
    }
    EXPECT_LE(path.size(), 3100u);
  }
}

TEST(ExportNames, LongDeepAndManyNamesStayValid) {
  for (ExportFormat format : {ExportFormat::Maildir, ExportFormat::Mbox}) {
    std::vector<FolderToName> folders;
    // A long name of many-byte characters, twice.
    std::string longName;
    for (int i = 0; i < 300; ++i) longName += "\u00E9\u65E5";
    folders.push_back({1, 0, longName});
    folders.push_back({2, 0, longName});
    // A chain far deeper than any path can hold.
    for (FolderId id = 3; id < 400; ++id) folders.push_back({id, FolderId(id - 1), "level"});
    // Many folders of one name.
    for (FolderId id = 400; id < 3000; ++id) folders.push_back({id, 0, "same"});
    // Names that are only what escaping removes or doubles.
    folders.push_back({3000, 0, ""});
    folders.push_back({3001, 0, std::string(300, '.')});
    folders.push_back({3002, 0, std::string(300, '/')});
    const auto paths = exportFolderNames(folders, format);
    ASSERT_EQ(paths.size(), folders.size());
    expectSafe(paths, format);
    EXPECT_EQ(paths[2998], format == ExportFormat::Maildir ? ".same (2600)" : "same (2600)");
    EXPECT_EQ(paths[2999], format == ExportFormat::Maildir ? "._" : "_");
  }
}

std::vector<std::string> split(std::string_view mbox, size_t piece) {
  std::vector<std::string> messages;
  MboxSplitter splitter([&](std::string message) { messages.push_back(std::move(message)); });
  for (size_t at = 0; at < mbox.size(); at += piece) splitter.feed(mbox.substr(at, piece));
  splitter.finish();
  return messages;
}

TEST(Mboxrd, EveryMessageComesBackAsStoredWhateverItsLines) {
  const std::vector<std::string> messages = {
      test::plainMessage("plain"),
      "Subject: quoting\r\n\r\nFrom here\r\n>From there\r\n>>From afar\r\nFromage\r\n>From\r\n",
      "From the first line\nSubject: bare LF\n\nbody\n",
      "Subject: cut off\r\n\r\n<html>no line end at all</html>",  // gets one line end
      "",
      "\n",
      "\n\n\n",
      "Subject: blank lines at the end\r\n\r\nbody\r\n\r\n\r\n",
      "Subject: CR only\r\rFrom CR\r",
      "Subject: binary\r\n\r\n" + test::binaryPayload(),
  };
  std::string mbox = "junk before the first From line is no message\n";
  for (const std::string& message : messages) {
    mbox += mboxFromLine("ann@example.com", 1204621200);
    appendMboxrd(mbox, message);
  }
  for (size_t piece : {size_t(1), size_t(7), size_t(4096), mbox.size()}) {
    const auto back = split(mbox, piece);
    ASSERT_EQ(back.size(), messages.size()) << piece;
    for (size_t i = 0; i < messages.size(); ++i) {
      EXPECT_EQ(back[i], mboxReadBack(messages[i])) << "message " << i << ", pieces of " << piece;
    }
  }
  // Only a message without a final line end is not given back as it was.
  EXPECT_EQ(mboxReadBack(messages[3]), messages[3] + "\n");
  EXPECT_EQ(mboxReadBack(messages[0]), messages[0]);
}

TEST(Mboxrd, FromLinesQuoteBodyLinesAndNameTheSender) {
  std::string mbox;
  appendMboxrd(mbox, "From x\r\nbody\r\n>From y\r\n");
  EXPECT_EQ(mbox, ">From x\r\nbody\r\n>>From y\r\n\n");
  EXPECT_EQ(mboxFromLine("", 0), "From MAILER-DAEMON Thu Jan  1 00:00:00 1970\n");
  EXPECT_EQ(mboxFromLine("a@b", 1204621200), "From a@b Tue Mar  4 09:00:00 2008\n");
}

struct EnvelopeCase {
  std::string header;
  std::optional<int64_t> date;
  std::string sender;
};

TEST(MessageEnvelope, DateAndSenderComeFromTheHeaderBlock) {
  const EnvelopeCase cases[] = {
      {"From: \"Ann\" <ann@example.com>\r\nDate: Tue, 4 Mar 2008 10:00:00 +0100\r\n", 1204621200,
       "ann@example.com"},
      {"Date: 4 Mar 2008 09:00:00 GMT\r\nFrom: bob@example.org (Bob)\r\n", 1204621200,
       "bob@example.org"},
      {"Date:\r\n Tue, 4 Mar 2008\r\n 09:00:00 +0000\r\n", 1204621200, ""},
      {"Date: yesterday\r\nFrom: Ann <>\r\n", std::nullopt, ""},
      {"Date: Thu, 1 Jan 1970 00:00:00 +0000\r\nFrom: no address here\r\n", std::nullopt, ""},
      {"From: <a b@c>\r\n", std::nullopt, ""},
      {"From: x\r\n\r\nDate: Tue, 4 Mar 2008 10:00:00 +0100\r\n", std::nullopt, ""},
      {"", std::nullopt, ""},
  };
  for (const EnvelopeCase& c : cases) {
    const MessageEnvelope envelope = envelopeOf(c.header);
    EXPECT_EQ(envelope.date, c.date) << c.header;
    EXPECT_EQ(envelope.sender, c.sender) << c.header;
  }
}

}  // namespace
}  // namespace mailvane::store
