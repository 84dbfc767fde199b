// The search window's list: what it lists at opening, searches by words, the reply
// filter, a click that loads and extracts, and searches that fail.
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QWebEngineView>

#include "controls/clsTooltips.h"
#include "tests/windows/FrmindexTestSupport.h"
#include "windows/Frmindex/IndexSearch.h"

namespace mailvane::test {
namespace {

class FrmindexSearchTest : public FrmindexFixture {
 protected:
  void SetUp() override {
    FrmindexFixture::SetUp();
    write("a.nws", "My red car");
    write("b.eml", "Mail about a red car");
    write("c.NWS", "Capital red car");
    write("d.nws", "Re: question");
    write("e.nws", "red big car");
    write("f.nws", "I don't know");
    write("g/h.nws", "Nested news");
    write("redcar-notes.nws", "Harbour");
    indexTree();
  }
};

TEST_F(FrmindexSearchTest, OpensListingEveryNewsMessageInTheIndexOrder) {
  open();
  EXPECT_EQ(rows(), (QStringList{"My red car", "Re: question", "red big car", "I don't know",
                                 "Nested news", "Harbour"}));
  EXPECT_EQ(text("Label21"), "6");
  EXPECT_TRUE(window->Picture7->isHidden());
  EXPECT_TRUE(status().startsWith("The index holds 8 messages, brought up to date "))
      << status().toStdString();
  EXPECT_EQ(list2()->count(), 0);
}

TEST_F(FrmindexSearchTest, NewSearchShowsAndHidesThePanelAndEverySearchHidesIt) {
  open();
  window->show();
  window->Command6->click();
  EXPECT_TRUE(window->Picture7->isVisible());
  window->Command6->click();
  EXPECT_TRUE(window->Picture7->isHidden());
  window->Command6->click();
  window->Text2->setText("nested");
  QTest::keyClick(window->Text2, Qt::Key_Return);  // Enter searches as the button does
  EXPECT_EQ(rows(), QStringList{"Nested news"});
  EXPECT_TRUE(window->Picture7->isHidden());

  // The search panel tells what to type when the mouse rests on it.
  EXPECT_EQ(window->searchTip()->ParentControl(), window->Picture7);
  EXPECT_TRUE(window->searchTip()->Active());
  EXPECT_EQ(window->searchTip()->Title(), "Type a word to search for in Subject");
  EXPECT_EQ(window->searchTip()->TipText(), "Search for Indexed News Windows have indexed");
}

TEST_F(FrmindexSearchTest, WordsFindNewsBySubjectOrFileNameOnlyAndATooLongSearchFailsAloud) {
  open();
  const struct {
    const char* words;
    QStringList found;
  } cases[] = {
      {"red car", {"My red car"}},  // the space stands for one character: not "red big car"
      {"RED", {"My red car", "red big car", "Harbour"}},  // "Harbour" by its file name
      {"big car", {"red big car"}},
      {"red*car", {"My red car", "red big car", "Harbour"}},
      {"capital", {}},  // ".NWS" is not a news extension here
      {"mail", {}},     // nor ".eml"
      {"don't", {"I don't know"}},
      {"'", {"I don't know"}},
      {"x' OR '1'='1", {}},
      {"'); DROP TABLE files; --", {}},
      {"", {"My red car", "Re: question", "red big car", "I don't know", "Nested news", "Harbour"}},
  };
  for (const auto& c : cases) {
    searchFor(QString::fromUtf8(c.words));
    EXPECT_EQ(rows(), c.found) << c.words;
    EXPECT_EQ(text("Label21"), QString::number(c.found.size())) << c.words;
    EXPECT_FALSE(status().startsWith("The search failed")) << c.words;
  }
  // A search too long for the index fails aloud, and the next one works.
  searchFor(QString(70000, QLatin1Char('a')));
  EXPECT_EQ(rows(), QStringList{});
  EXPECT_TRUE(status().contains("too long")) << status().toStdString();
  searchFor("nested");
  EXPECT_EQ(rows(), QStringList{"Nested news"});
  EXPECT_TRUE(status().startsWith("The index holds")) << status().toStdString();
}

TEST_F(FrmindexSearchTest, ReplyFilterIsStoredAtOnceAndAppliesFromTheNextSearch) {
  open();
  auto* check1 = child<QCheckBox>("Check1");
  ASSERT_FALSE(check1->isChecked());
  check1->click();
  EXPECT_EQ(settings->value(system::kRE, ""), "1");
  EXPECT_TRUE(rows().contains("Re: question"));  // the list stays as it is
  searchFor("");
  EXPECT_FALSE(rows().contains("Re: question"));
  EXPECT_EQ(text("Label21"), "5");
  searchFor("question");
  EXPECT_EQ(rows(), QStringList{});
  EXPECT_EQ(text("Label21"), "0");

  window.reset();
  open({{std::string(system::kRE), "1"}});  // and from the stored setting at opening
  EXPECT_FALSE(rows().contains("Re: question"));
}

TEST_F(FrmindexSearchTest, AClickLoadsTheMessageOfItsRowAndExtractionWritesIt) {
  write("file:odd/i.nws", "Folder named like a scheme");
  indexTree();
  open();
  const int row = static_cast<int>(rows().indexOf("Folder named like a scheme"));
  ASSERT_GE(row, 0);
  list1()->setCurrentRow(row);
  EXPECT_EQ(text("Label4"), "Ann <ann@example.org>");
  auto* r1 = child<QPlainTextEdit>("R1");
  EXPECT_TRUE(r1->toPlainText().contains("Hello from Folder named like a scheme."));

  list1()->setCurrentRow(0);
  EXPECT_TRUE(r1->toPlainText().contains("Hello from My red car."));
  child<QPushButton>("Command9")->click();
  EXPECT_TRUE(child<QWebEngineView>("W1")->isVisibleTo(window.get()));

  list1()->clearSelection();
  list1()->item(0)->setSelected(true);
  list1()->item(row)->setSelected(true);
  child<QPushButton>("Command14")->click();
  EXPECT_EQ(readBytes(output() / "Myredcar" / "Myredcar.txt"), "Hello from My red car.\r\n\r\n");
  EXPECT_EQ(readBytes(output() / "Foldernamedlikeascheme" / "Foldernamedlikeascheme.txt"),
            "Hello from Folder named like a scheme.\r\n\r\n");
}

TEST_F(FrmindexSearchTest, AnIndexThatCannotBeOpenedIsSaidUnderTheListAndTheWindowStaysUsable) {
  writeBytes(root() / "blocked", "a file where the index folder should be");
  open({}, root() / "blocked" / "index.sqlite");
  EXPECT_EQ(rows(), QStringList{});
  EXPECT_EQ(text("Label21"), "0");
  EXPECT_TRUE(status().startsWith("The search failed: cannot open the index"))
      << status().toStdString();
  searchFor("red");
  EXPECT_EQ(rows(), QStringList{});
  EXPECT_TRUE(status().startsWith("The search failed")) << status().toStdString();
  window->Command6->click();
  EXPECT_FALSE(window->Picture7->isHidden());
}

TEST(IndexSearchPaths, OnlyTheSchemeInFrontIsRemoved) {
  const struct {
    const char* url;
    const char* path;
  } cases[] = {
      {"file:C:/News/a.nws", "C:/News/a.nws"},
      {"file:/home/ann/news/a.nws", "/home/ann/news/a.nws"},
      {"/home/ann/news/a.nws", "/home/ann/news/a.nws"},  // used as it is
      {"file:/data/file:x/a.nws", "/data/file:x/a.nws"},
      {"FILE:/a.nws", "FILE:/a.nws"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(IndexSearch::pathOf(c.url), c.path) << c.url;
  EXPECT_TRUE(IndexSearch::isNews(".nws"));
  for (const char* other : {".NWS", ".Nws", ".eml", "nws", ".nws ", ""})
    EXPECT_FALSE(IndexSearch::isNews(other)) << other;
}

}  // namespace
}  // namespace mailvane::test
