#pragma once
// The main menu: one button per working window, plus About and Exit. Each button shows
// the single instance of its window. Exit unloads every window of the program and then
// the menu; closing the menu alone leaves the other windows open.

#include <QStringList>
#include <QWidget>

#include <array>

namespace mailvane {

class clsTooltips;
class WindowRegistry;

class FrmMenu : public QWidget {
  Q_OBJECT

 public:
  explicit FrmMenu(WindowRegistry& windows, QWidget* parent = nullptr);

  // The windows that Exit unloads, whoever loaded them.
  static const QStringList& programWindowNames();

 private slots:
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Command5_Click();
  void Command6_Click();
  void Command7_Click();

 private:
  void buildLayout();
  void attachBalloons();

  WindowRegistry& windows_;
  std::array<clsTooltips*, 5> balloons_{};
};

}  // namespace mailvane
