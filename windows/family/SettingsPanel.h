#pragma once
// The settings panel of a message window (Picture2): the reply filter, the unsent copy
// and its kind, the text file, and the output folder shown with its picker. Each control
// stores its value when clicked; load() reads them back at opening.

#include <QFrame>

#include "engine/ExtractionWalk.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace mailvane {
namespace system {
class FolderPicker;
class Settings;
}  // namespace system

class SettingsPanel : public QFrame {
  Q_OBJECT

 public:
  SettingsPanel(system::Settings& settings, system::FolderPicker& picker, QWidget* parent);

  // Reads the stored values. The panel starts with Check1 and Check3 ticked, Check2
  // unticked and Option1 set; a stored value that differs goes through the control's
  // click handler, so it is stored again and Picture3 follows Check2.
  void load();
  // Whether a click on Check1, Check2, Check3 or an option stores its value (the output
  // folder is stored either way).
  void setStoresChoices(bool stores) { storesChoices_ = stores; }
  // Adds a window's own settings as a row across the bottom of the panel.
  void addSection(QWidget* section);
  // The dialog Command15 shows.
  void setFolderPicker(system::FolderPicker& picker) { picker_ = &picker; }

  bool replyFilter() const;
  bool saveText() const;
  UnsentCopy unsentCopy() const;

  QCheckBox* Check1;
  QFrame* Picture3;
  QRadioButton* Option1;
  QRadioButton* Option2;
  QCheckBox* Check2;
  QCheckBox* Check3;
  QLabel* Label17;
  QLineEdit* Text1;
  QPushButton* Command15;
  QPushButton* Command3;

 signals:
  // Check1 was clicked: the window fills its list again.
  void replyFilterChanged();
  // Command3 was clicked: the window hides the panel.
  void closeRequested();

 public slots:
  void Check1_Click();
  void Check2_Click();
  void Check3_Click();
  void Option1_Click();
  void Option2_Click();
  void Command15_Click();

 private:
  void buildLayout();
  void storeCheck(std::string_view key, const QCheckBox* box);
  void storeUnsentKind();
  // Sets a check box to a stored value the way a user's click would.
  void applyStored(QCheckBox* box, bool ticked, void (SettingsPanel::*handler)());

  system::Settings& settings_;
  system::FolderPicker* picker_;
  bool storesChoices_ = true;
};

}  // namespace mailvane
