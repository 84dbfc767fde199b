#include <gtest/gtest.h>

#include "controls/MsgBox.h"

namespace mailvane {
namespace {

TEST(MsgBoxTest, QueuedAnswersAnswerBoxesInOrderAndRecordThem) {
  MsgBox::clearAnswered();
  MsgBox::answerNextWith(QMessageBox::Yes);
  MsgBox::answerNextWith(QMessageBox::Ok);
  EXPECT_EQ(MsgBox::show(nullptr, QStringLiteral("first"), QMessageBox::Question,
                         QMessageBox::Yes | QMessageBox::No),
            QMessageBox::Yes);
  EXPECT_EQ(MsgBox::show(nullptr, QStringLiteral("Nothing selected"), QMessageBox::Critical,
                         QMessageBox::Ok, QStringLiteral("Nothing to do")),
            QMessageBox::Ok);

  const QList<MsgBox::Shown> boxes = MsgBox::answered();
  ASSERT_EQ(boxes.size(), 2);
  EXPECT_EQ(boxes[0].text, QStringLiteral("first"));
  EXPECT_EQ(boxes[0].title, QStringLiteral("Mailvane"));  // the program's title by default
  EXPECT_EQ(boxes[0].icon, QMessageBox::Question);
  EXPECT_EQ(boxes[1].title, QStringLiteral("Nothing to do"));
  EXPECT_EQ(boxes[1].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  MsgBox::clearAnswered();
  EXPECT_TRUE(MsgBox::answered().isEmpty());
}

}  // namespace
}  // namespace mailvane
