#include "windows/family/SettingsPanel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "system/BrowseForFolder.h"
#include "system/ProgramInfo.h"
#include "system/Settings.h"
#include "system/SettingsKeys.h"
#include "windows/family/NamedWidget.h"

namespace mailvane {
namespace {

QString qtText(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

SettingsPanel::SettingsPanel(system::Settings& settings, system::FolderPicker& picker,
                             QWidget* parent)
    : QFrame(parent), settings_(settings), picker_(&picker) {
  setObjectName(QStringLiteral("Picture2"));
  setFrameShape(QFrame::StyledPanel);
  Check1 = named(new QCheckBox(QStringLiteral("Do not load replayed messages"), this), "Check1");
  Picture3 = named(new QFrame(this), "Picture3");
  Option1 = named(new QRadioButton(QStringLiteral("Save as unsent eml"), Picture3), "Option1");
  Option2 = named(new QRadioButton(QStringLiteral("Save as unsent nws"), Picture3), "Option2");
  Check2 = named(new QCheckBox(QStringLiteral("Save Eml or Nws"), this), "Check2");
  Check3 = named(new QCheckBox(QStringLiteral("Save Text document"), this), "Check3");
  Label17 = named(new QLabel(QStringLiteral("Folder to Save to :"), this), "Label17");
  Text1 = spoken(named(new QLineEdit(this), "Text1"), "Folder to save to");
  Command15 = spoken(named(new QPushButton(QStringLiteral(">>>"), this), "Command15"), "Choose the folder to save to");
  Command3 = spoken(named(new QPushButton(QStringLiteral("x"), this), "Command3"), "Close the settings");
  buildLayout();

  Check1->setChecked(true);
  Check3->setChecked(true);
  Option1->setChecked(true);
  Picture3->setEnabled(false);

  connect(Check1, &QCheckBox::clicked, this, &SettingsPanel::Check1_Click);
  connect(Check2, &QCheckBox::clicked, this, &SettingsPanel::Check2_Click);
  connect(Check3, &QCheckBox::clicked, this, &SettingsPanel::Check3_Click);
  connect(Option1, &QRadioButton::clicked, this, &SettingsPanel::Option1_Click);
  connect(Option2, &QRadioButton::clicked, this, &SettingsPanel::Option2_Click);
  connect(Command15, &QPushButton::clicked, this, &SettingsPanel::Command15_Click);
  connect(Command3, &QPushButton::clicked, this, &SettingsPanel::closeRequested);
}

void SettingsPanel::buildLayout() {
  auto* options = new QHBoxLayout(Picture3);
  options->setContentsMargins(0, 0, 0, 0);
  options->addWidget(Option1);
  options->addWidget(Option2);
  options->addStretch();

  Command15->setToolTip(QStringLiteral("Choose the folder to save to"));
  Command3->setToolTip(QStringLiteral("Close the settings"));
  Command3->setFixedWidth(Command3->sizeHint().height() + 4);

  auto* grid = new QGridLayout(this);
  grid->addWidget(Check1, 0, 0, 1, 2);
  grid->addWidget(Command3, 0, 3, Qt::AlignRight);
  grid->addWidget(Check3, 1, 0, 1, 2);
  grid->addWidget(Check2, 2, 0);
  grid->addWidget(Picture3, 2, 1, 1, 3);
  grid->addWidget(Label17, 3, 0);
  grid->addWidget(Text1, 3, 1, 1, 2);
  grid->addWidget(Command15, 3, 3);
  grid->setColumnStretch(2, 1);
}

void SettingsPanel::addSection(QWidget* section) {
  auto* grid = static_cast<QGridLayout*>(layout());
  grid->addWidget(section, grid->rowCount(), 0, 1, grid->columnCount());
}

void SettingsPanel::load() {
  using namespace system;
  applyStored(Check1, settingIsTrue(settings_.value(kRE, kREDefault)), &SettingsPanel::Check1_Click);
  applyStored(Check3, settingIsTrue(settings_.value(kSavetxt, kSavetxtDefault)),
              &SettingsPanel::Check3_Click);
  applyStored(Check2, settingIsTrue(settings_.value(kSaveEmlNws, kSaveEmlNwsDefault)),
              &SettingsPanel::Check2_Click);
  const bool eml = settingIsTrue(settings_.value(kEmlNws, kEmlNwsDefault));
  if (!eml) {
    Option2->setChecked(true);
    Option2_Click();
  }
}

void SettingsPanel::applyStored(QCheckBox* box, bool ticked, void (SettingsPanel::*handler)()) {
  if (box->isChecked() == ticked) return;
  box->setChecked(ticked);
  (this->*handler)();
}

bool SettingsPanel::replyFilter() const { return Check1->isChecked(); }
bool SettingsPanel::saveText() const { return Check3->isChecked(); }

UnsentCopy SettingsPanel::unsentCopy() const {
  if (!Check2->isChecked()) return UnsentCopy::None;
  if (Option1->isChecked()) return UnsentCopy::Eml;
  return Option2->isChecked() ? UnsentCopy::Nws : UnsentCopy::None;
}

void SettingsPanel::storeCheck(std::string_view key, const QCheckBox* box) {
  if (storesChoices_) settings_.setValue(key, box->isChecked() ? "1" : "0");
}

void SettingsPanel::Check1_Click() {
  storeCheck(system::kRE, Check1);
  emit replyFilterChanged();
}

void SettingsPanel::Check2_Click() {
  Picture3->setEnabled(Check2->isChecked());
  storeCheck(system::kSaveEmlNws, Check2);
}

void SettingsPanel::Check3_Click() { storeCheck(system::kSavetxt, Check3); }

void SettingsPanel::storeUnsentKind() {
  if (storesChoices_) settings_.setValue(system::kEmlNws, system::settingBoolText(Option1->isChecked()));
}

void SettingsPanel::Option1_Click() { storeUnsentKind(); }
void SettingsPanel::Option2_Click() { storeUnsentKind(); }

void SettingsPanel::Command15_Click() {
  std::string start = Text1->text().toStdString();
  if (start.empty()) start = system::programFolder().string();
  const std::string picked = picker_->BrowseForFolder(
      start, std::string(system::FolderPicker::kOutputFolderTitle));
  if (!picked.empty()) Text1->setText(qtText(picked));
  // Takes effect at the next opening; this window keeps writing below the folder it
  // opened with.
  settings_.setValue(system::kEmails, picked.empty() ? start : picked);
}

}  // namespace mailvane
