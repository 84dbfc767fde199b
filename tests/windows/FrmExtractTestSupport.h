#pragma once
// A personal folders window over a store the test builds (a Windows Mail folder tree or
// Outlook Express .dbx files), with its settings in memory, its folder dialog answered by
// the test and its output below the same temporary folder.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include <vector>

#include "store/StoreLocation.h"
#include "system/BrowseForFolder.h"
#include "tests/plugins/toolbench/DbxBuilder.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/windows/FrmLiveTestSupport.h"
#include "windows/FrmExtract/FrmExtract.h"

namespace mailvane::test {

using store::test::binaryPayload;
using store::test::plainMessage;

inline std::string base64(const std::string& bytes) {
  return QByteArray::fromStdString(bytes).toBase64().toStdString();
}

// A message as a mail client stores it: a text and an HTML body, the HTML showing an
// inline picture by Content-ID, and a binary attachment under the given name.
inline std::string rich(const std::string& subject, const std::string& attachmentName = "data.bin",
                        const std::string& picture = "pic.gif") {
  return "From: Ann <ann@example.org>\r\nTo: bob@example.org\r\nSubject: " + subject +
         "\r\nDate: Mon, 1 May 2006 10:00:00 +0200\r\nMIME-Version: 1.0\r\n"
         "Content-Type: multipart/mixed;\r\n\tboundary=\"----=_Outer\"\r\n"
         "X-Mailer: Test Mailer\r\n\r\n"
         "This is a multi-part message in MIME format.\r\n\r\n"
         "------=_Outer\r\nContent-Type: multipart/related;\r\n\tboundary=\"----=_Rel\"\r\n\r\n"
         "------=_Rel\r\nContent-Type: multipart/alternative;\r\n\tboundary=\"----=_Alt\"\r\n\r\n"
         "------=_Alt\r\nContent-Type: text/plain; charset=\"iso-8859-1\"\r\n"
         "Content-Transfer-Encoding: quoted-printable\r\n\r\nSee the caf=E9 picture.\r\n\r\n"
         "------=_Alt\r\nContent-Type: text/html; charset=\"iso-8859-1\"\r\n"
         "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
         "<HTML><BODY>Caf=E9 <IMG src=3D\"cid:pic001@example\"></BODY></HTML>\r\n\r\n"
         "------=_Alt--\r\n\r\n"
         "------=_Rel\r\nContent-Type: image/gif;\r\n\tname=\"" +
         picture +
         "\"\r\n"
         "Content-Transfer-Encoding: base64\r\nContent-ID: <pic001@example>\r\n\r\n" +
         base64("GIF89a-picture-bytes") +
         "\r\n\r\n------=_Rel--\r\n\r\n"
         "------=_Outer\r\nContent-Type: application/octet-stream;\r\n\tname=\"" +
         attachmentName +
         "\"\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment;\r\n"
         "\tfilename=\"" +
         attachmentName + "\"\r\n\r\n" + base64(binaryPayload()) + "\r\n\r\n------=_Outer--\r\n";
}

// Answers the folder dialog with the next queued folder ("" = cancelled).
class FakePicker : public system::FolderPicker {
 public:
  std::vector<std::string> answers;
  std::vector<std::string> titles;

 protected:
  std::string showFolderDialog(const std::string&, const std::string& title) override {
    titles.push_back(title);
    if (answers.empty()) return {};
    std::string answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
};

class FrmExtractFixture : public WindowFixture<FrmExtract> {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    fs::create_directories(store());
    // A box nobody expected is answered and recorded rather than left waiting for a click.
    for (int i = 0; i < 4; ++i) MsgBox::answerNextWith(QMessageBox::Ok);
  }

  fs::path store() const { return root() / "store"; }

  // A Windows Mail store folder: one .eml file per message, named in list order.
  void mailFolder(const std::string& folder, const std::vector<std::string>& messages) {
    for (size_t i = 0; i < messages.size(); ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "%06zu.eml", i);
      writeBytes(store() / folder / name, messages[i]);
    }
  }
  // An Outlook Express message folder (a .dbx file without a folder list). The index
  // records hold no subjects, so each comes from its message's header.
  void dbxFolder(const std::string& folder, const std::vector<std::string>& messages) {
    dbx::test::DbxBuilder builder;
    std::vector<uint32_t> records;
    for (size_t i = 0; i < messages.size(); ++i)
      records.push_back(builder.addMessage(uint32_t(i + 1), "", builder.addChain(messages[i])));
    builder.setTree1(builder.addTree(records, 51), uint32_t(records.size()));
    fs::create_directories(store());
    builder.save(store() / (folder + ".dbx"));
  }

  // Opens the window on the store (through the "Store" setting) unless told otherwise.
  void open(bool withStore = true) {
    window = std::make_unique<FrmExtract>(newSettings(
        withStore ? Preset{{std::string(store::kStoreSetting), store().string()}} : Preset{}));
    auto fake = std::make_unique<FakePicker>();
    picker = fake.get();
    window->setFolderPicker(std::move(fake));
  }

  void click(const char* name) { QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton); }
  // Lists the folder shown as `name` (indent ignored) and waits for the listing to end.
  void listFolder(const QString& name) {
    for (int i = 0; i < list1()->count(); ++i) {
      if (list1()->item(i)->text().trimmed() != name) continue;
      list1()->setCurrentRow(i);
      ASSERT_TRUE(QTest::qWaitFor([&] { return !window->listing(); }));
      return;
    }
    FAIL() << "no folder " << name.toStdString();
  }
  void selectRows(std::initializer_list<int> selected) {
    list2()->clearSelection();
    for (int row : selected) list2()->item(row)->setSelected(true);
  }
  void extract() {
    click("Command5");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->extracting(); }));
  }

  FakePicker* picker = nullptr;
};

}  // namespace mailvane::test
