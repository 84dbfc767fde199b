// The personal folders window's extraction: the files of each save option, compared with
// what the message-store library gives for the same message; same subjects, hostile part
// names, "Cancel" and a store that goes away during a batch; no output folder.
#include <QTimer>

#include "store/MessageStore.h"
#include "tests/windows/FrmExtractTestSupport.h"
#include "windows/FrmExtract/UnsentSource.h"

namespace mailvane::test {
namespace {

using FrmExtractExtract = FrmExtractFixture;

constexpr const char* kMark = "\xEF\xBB\xBF";

struct OptionCase {
  const char* what;
  std::vector<const char*> clicks;
  bool copy;
  const char* ending;
  bool html;
  bool files;
};

TEST_F(FrmExtractExtract, EachSaveOptionWritesItsFilesAsTheLibraryGivesThem) {
  const OptionCase cases[] = {
      {"defaults: unsent eml, html, files", {}, true, ".eml", true, true},
      {"nws", {"Option2"}, true, ".nws", true, true},
      {"sent: no copy", {"Option3"}, false, "", true, true},
      {"no html", {"ChcHtml"}, true, ".eml", false, true},
      {"no files", {"Check1"}, true, ".eml", true, false},
  };
  for (bool outlookExpress : {false, true}) {
    for (const OptionCase& c : cases) {
      SCOPED_TRACE(std::string(outlookExpress ? "Outlook Express, " : "Windows Mail, ") + c.what);
      fs::remove_all(store());
      fs::remove_all(output());
      const std::string source = rich("Holiday (photos!)");
      if (outlookExpress)
        dbxFolder("Inbox", {source});
      else
        mailFolder("Inbox", {source});
      open();
      listFolder(QStringLiteral("Inbox"));
      for (const char* name : c.clicks) click(name);
      selectRows({0});
      extract();

      // What the library makes of the same message.
      store::MessageStore library = store::MessageStore::open(store());
      auto message = library.firstFolder()->firstMessage();
      ASSERT_TRUE(message);
      ASSERT_EQ(message->source(), source);
      std::map<std::string, std::string> expected;
      const std::string folder = "Holiday photos)/";
      if (c.copy)
        expected[folder + "Holiday photos)" + c.ending] = UnsentSource::rewrite(source) + "\r\n";
      if (c.html) {
        std::string html = message->partText(message->htmlBodyPart());
        ASSERT_NE(html.find("cid:pic001@example"), std::string::npos);
        html.replace(html.find("cid:pic001@example"), 18, "pic.gif");
        expected[folder + "Holiday photos).html"] = kMark + html + "\r\n";
      }
      if (c.files) {
        const store::PartHandle picture = message->firstPart();
        const store::PartHandle attachment = message->nextPart();
        expected[folder + "pic.gif"] = message->partBytes(picture);
        expected[folder + "data.bin"] = message->partBytes(attachment);
        EXPECT_EQ(expected[folder + "data.bin"], binaryPayload());
      }
      expected[folder + "Holiday photos).txt"] =
          message->partText(message->textBodyPart()) + "\r\n";
      EXPECT_EQ(treeOf(output()), expected);
      EXPECT_TRUE(MsgBox::answered().isEmpty());
    }
  }
}

TEST_F(FrmExtractExtract, SameSubjectsGetFoldersOfTheirOwnAndHostileNamesStayInside) {
  mailFolder("Inbox", {rich("Hi", "../../escape.bin"), rich("Hi", "a/b.bin", "pic.gif"),
                       rich("hi", "data.bin", "../pic.gif"), rich("Own", "Own.txt")});
  // A link planted where a file will be written is replaced, never written through.
  writeBytes(root() / "outside.txt", "keep");
  fs::create_directories(output() / "Hi");
  fs::create_symlink(root() / "outside.txt", output() / "Hi" / "Hi.txt");
  open();
  listFolder(QStringLiteral("Inbox"));
  selectRows({0, 1, 2, 3});
  extract();
  EXPECT_EQ(readBytes(root() / "outside.txt"), "keep");
  EXPECT_FALSE(fs::is_symlink(output() / "Hi" / "Hi.txt"));
  const auto tree = treeOf(output());
  std::vector<std::string> names;
  for (const auto& [name, bytes] : tree) names.push_back(name);
  // Every file is inside its own message folder; nothing reached above the output folder.
  EXPECT_FALSE(fs::exists(base() / "escape.bin"));
  EXPECT_FALSE(fs::exists(root() / "escape.bin"));
  for (const char* folder : {"Hi/", "Hi1/", "hi2/"}) {
    const std::string prefix(folder);
    int files = 0;
    for (const std::string& name : names)
      if (name.rfind(prefix, 0) == 0) {
        ++files;
        EXPECT_EQ(name.find('/', prefix.size()), std::string::npos) << name;
      }
    EXPECT_EQ(files, 5) << folder;  // copy, html, picture, attachment, text
  }
  // The folders keep the message's own name for its files.
  EXPECT_EQ(tree.count("Hi1/Hi.eml"), 1u);
  // The HTML points at the name the picture was saved under.
  const std::string html = tree.at("hi2/hi.html");
  std::string pictureName;
  for (const std::string& name : names)
    if (name.rfind("hi2/", 0) == 0 && name.find("gif") != std::string::npos)
      pictureName = name.substr(4);
  ASSERT_FALSE(pictureName.empty());
  EXPECT_NE(html.find("src=\"" + pictureName + "\""), std::string::npos) << html;
  // Attachments keep every byte whatever their name became, also one named like the
  // message's own text file.
  int payloads = 0;
  for (const auto& [name, bytes] : tree) payloads += bytes == binaryPayload();
  EXPECT_EQ(payloads, 4);
  EXPECT_EQ(tree.at("Own/Own1.txt"), binaryPayload());
  EXPECT_EQ(tree.at("Own/Own.txt").substr(0, 7), "See the");
  EXPECT_TRUE(MsgBox::answered().isEmpty());
}

TEST_F(FrmExtractExtract, CancelFinishesTheCurrentMessageAndStartsNoOther) {
  mailFolder("Inbox", {plainMessage("One"), plainMessage("Two"), plainMessage("Three")});
  open();
  listFolder(QStringLiteral("Inbox"));
  selectRows({0, 1, 2});
  // The batch yields after each message; the click waiting there is seen then.
  QTimer::singleShot(0, window.get(), [&] {
    EXPECT_TRUE(window->extracting());
    EXPECT_TRUE(child<QPushButton>("Command7")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("Command5")->isEnabled());
    click("Command7");
  });
  extract();
  EXPECT_TRUE(fs::exists(output() / "One" / "One.txt"));
  EXPECT_TRUE(fs::exists(output() / "One" / "One.eml"));
  EXPECT_FALSE(fs::exists(output() / "Two"));
  EXPECT_FALSE(fs::exists(output() / "Three"));
  EXPECT_TRUE(child<QPushButton>("Command5")->isEnabled());
  EXPECT_TRUE(MsgBox::answered().isEmpty());

  // The next batch runs whole.
  extract();
  EXPECT_TRUE(fs::exists(output() / "Three" / "Three.txt"));
}

TEST_F(FrmExtractExtract, MessagesThatCannotBeReadAreNamedInOneBoxAndTheRestIsWritten) {
  mailFolder("Inbox", {plainMessage("First"), plainMessage("Second"), plainMessage("Third")});
  open();
  listFolder(QStringLiteral("Inbox"));
  selectRows({0, 1, 2});
  // The store goes away after the first message.
  QTimer::singleShot(0, window.get(), [&] { fs::remove_all(store()); });
  extract();
  EXPECT_TRUE(fs::exists(output() / "First" / "First.txt"));
  EXPECT_FALSE(fs::exists(output() / "Second"));
  const auto boxes = MsgBox::answered();
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("Second:")));
  EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("Third:")));
  EXPECT_FALSE(boxes[0].text.contains(QStringLiteral("First")));
  EXPECT_EQ(boxes[0].icon, QMessageBox::Warning);

  // A folder that changed since it was listed never gives another message's content.
  MsgBox::clearAnswered();
  MsgBox::answerNextWith(QMessageBox::Ok);
  mailFolder("Inbox", {plainMessage("First"), plainMessage("Second")});
  listFolder(QStringLiteral("Inbox"));
  fs::remove(store() / "Inbox" / "000000.eml");
  selectRows({0});
  extract();
  ASSERT_EQ(MsgBox::answered().size(), 1);
  EXPECT_TRUE(MsgBox::answered()[0].text.contains(QStringLiteral("changed since it was listed")));
}

TEST_F(FrmExtractExtract, WithoutAnOutputFolderThePickerIsOfferedAndACancelEndsTheBatch) {
  mailFolder("Inbox", {plainMessage("Alone")});
  open();
  listFolder(QStringLiteral("Inbox"));
  selectRows({0});
  child<QLineEdit>("Text2")->clear();
  picker->answers = {""};
  extract();
  ASSERT_EQ(MsgBox::answered().size(), 1);
  EXPECT_EQ(MsgBox::answered()[0].text, QStringLiteral("You must select a folder to save to!"));
  EXPECT_EQ(MsgBox::answered()[0].title, QStringLiteral("Nothing to do"));
  EXPECT_EQ(MsgBox::answered()[0].icon, QMessageBox::Critical);
  EXPECT_EQ(picker->titles,
            std::vector<std::string>({"Select the folder to where to save files."}));
  EXPECT_TRUE(treeOf(root() / "out").empty());

  // A folder picked there is used at once and stored.
  const fs::path chosen = root() / "chosen";
  fs::create_directories(chosen);
  picker->answers = {chosen.string()};
  extract();
  EXPECT_TRUE(fs::exists(chosen / "Alone" / "Alone.txt"));
  EXPECT_EQ(settings->value(system::kEmails, ""), chosen.string());
}

// The shared sample store, its files linked under their real names.
TEST_F(FrmExtractExtract, TheSampleStoreExtractsItsWelcomeMessage) {
  const fs::path samples = fs::path(MAILVANE_SHARED_SAMPLES) / "dbx";
  if (!fs::exists(samples / "mcguire_Folders.dbx")) GTEST_SKIP() << "no shared samples";
  for (const char* name : {"Folders", "Inbox", "Outbox", "Offline"})
    fs::create_symlink(samples / ("mcguire_" + std::string(name) + ".dbx"),
                       store() / (std::string(name) + ".dbx"));
  open();
  EXPECT_EQ(rows(list1()).size(), 7);
  listFolder(QStringLiteral("Inbox"));
  ASSERT_EQ(rows(list2()), QStringList({"Welcome to Outlook Express 6"}));
  selectRows({0});
  extract();
  store::MessageStore library = store::MessageStore::open(store());
  auto message = library.folderById(4)->firstMessage();
  ASSERT_TRUE(message);
  const std::string name = "Welcome to Outlook Express 6";
  std::map<std::string, std::string> expected;
  expected[name + ".eml"] = UnsentSource::rewrite(message->source()) + "\r\n";
  expected[name + ".html"] = kMark + message->partText(message->htmlBodyPart()) + "\r\n";
  expected[name + ".txt"] = message->partText(message->textBodyPart()) + "\r\n";
  EXPECT_EQ(treeOf(output() / name), expected);
  EXPECT_NE(expected[name + ".html"].find("<HTML"), std::string::npos);
  EXPECT_TRUE(MsgBox::answered().isEmpty());
}

}  // namespace
}  // namespace mailvane::test
