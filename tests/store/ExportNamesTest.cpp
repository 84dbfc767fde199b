// Output names for store folders: escaping per format, distinct names, length limits.
#include <gtest/gtest.h>

#include <set>

#include "store/ExportNames.h"

namespace mailvane::store {
namespace {

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
      EXPECT_EQ(path.find('/'), std::string::npos);
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

}  // namespace
}  // namespace mailvane::store
