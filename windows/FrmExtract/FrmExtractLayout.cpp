// The controls of the personal folders window and where they stand: the store line at
// the top, the folders and the subjects side by side with the two meters, the save
// options and the output folder below them, and the commands at the bottom.
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "controls/EdgewiseVert.h"
#include "windows/FrmExtract/FrmExtract.h"
#include "windows/family/NamedWidget.h"

namespace mailvane {
namespace {

QLabel* caption(const char* text, const char* name, QWidget* parent) {
  return named(new QLabel(QString::fromUtf8(text), parent), name);
}

// A meter with its caption under it, so its purpose is seen as well as heard.
QWidget* meterColumn(EdgewiseVert* meter, const char* text, QWidget* parent) {
  auto* column = new QWidget(parent);
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(meter, 0, Qt::AlignHCenter);
  auto* label = new QLabel(QString::fromUtf8(text), column);
  label->setAlignment(Qt::AlignHCenter);
  layout->addWidget(label);
  layout->addStretch();
  return column;
}

}  // namespace

void FrmExtract::createControls() {
  storeLabel = named(new QLabel(this), "storeLabel");
  storeLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  storeLabel->setWordWrap(true);
  chooseStore =
      spoken(named(new QPushButton(QStringLiteral("Store Folder..."), this), "chooseStore"),
             "Choose the store folder");
  Label1 = caption("Folders", "Label1", this);
  List1 = spoken(named(new QListWidget(this), "List1"), "Folders");
  Label2 = caption("Subject", "Label2", this);
  List2 = spoken(named(new QListWidget(this), "List2"), "Messages by subject");
  List2->setSelectionMode(QAbstractItemView::ExtendedSelection);
  Label4 = caption("Messages in folder: 0", "Label4", this);
  Check2 = named(new QCheckBox(QStringLiteral("Do not load replayed messages"), this), "Check2");
  Check2->setChecked(true);

  Label5 = caption("Save Options :", "Label5", this);
  Option1 = named(new QRadioButton(QStringLiteral("Save as eml"), this), "Option1");
  Option2 = named(new QRadioButton(QStringLiteral("Save as nws"), this), "Option2");
  Option4 = named(new QRadioButton(QStringLiteral("Save as unsent"), this), "Option4");
  Option3 = named(new QRadioButton(QStringLiteral("Save as sent"), this), "Option3");
  // Two independent choices: the copy's kind and whether it is written at all.
  auto* kind = new QButtonGroup(this);
  kind->addButton(Option1);
  kind->addButton(Option2);
  auto* sent = new QButtonGroup(this);
  sent->addButton(Option4);
  sent->addButton(Option3);
  Option1->setChecked(true);
  Option4->setChecked(true);
  ChcHtml = named(new QCheckBox(QStringLiteral("Extract Html"), this), "ChcHtml");
  Check1 = named(new QCheckBox(QStringLiteral("Extract Files"), this), "Check1");
  ChcHtml->setChecked(true);
  Check1->setChecked(true);

  Label6 = caption("Save extracted emails to path", "Label6", this);
  Text2 = spoken(named(new QLineEdit(this), "Text2"), "Save extracted emails to path");
  Text2->setToolTip(QStringLiteral("Location to where you want to save output files"));
  Command4 = spoken(named(new QPushButton(QStringLiteral(">>>"), this), "Command4"),
                    "Choose the folder to save to");
  Command4->setToolTip(QStringLiteral("Choose the folder to save to"));
  Command5 = named(new QPushButton(QStringLiteral("Extract Emails"), this), "Command5");
  Command7 = named(new QPushButton(QStringLiteral("Cancel"), this), "Command7");
  Command6 = named(new QPushButton(QStringLiteral("Close"), this), "Command6");
  Command7->setEnabled(false);

  EV1 = spoken(named(new EdgewiseVert(this), "EV1"), "Progress of the messages");
  EV2 = spoken(named(new EdgewiseVert(this), "EV2"), "Progress of the listing or message");
}

void FrmExtract::buildLayout() {
  auto* storeRow = new QHBoxLayout;
  storeRow->addWidget(storeLabel, 1);
  storeRow->addWidget(chooseStore);

  auto* lists = new QGridLayout;
  lists->addWidget(Label1, 0, 0);
  lists->addWidget(List1, 1, 0, 3, 1);
  lists->addWidget(Label2, 0, 1);
  lists->addWidget(List2, 1, 1);
  lists->addWidget(Label4, 2, 1);
  lists->addWidget(Check2, 3, 1);
  auto* meters = new QHBoxLayout;
  meters->addWidget(meterColumn(EV1, "Messages", this));
  meters->addWidget(meterColumn(EV2, "Message", this));
  lists->addLayout(meters, 1, 2, 3, 1);
  lists->setColumnStretch(0, 2);
  lists->setColumnStretch(1, 5);
  lists->setRowStretch(1, 1);

  auto* options = new QGroupBox(this);
  options->setObjectName(QStringLiteral("Frame1"));
  auto* optionGrid = new QGridLayout(options);
  optionGrid->addWidget(Label5, 0, 0, 1, 3);
  optionGrid->addWidget(Option1, 1, 0);
  optionGrid->addWidget(Option4, 1, 1);
  optionGrid->addWidget(ChcHtml, 1, 2);
  optionGrid->addWidget(Option2, 2, 0);
  optionGrid->addWidget(Option3, 2, 1);
  optionGrid->addWidget(Check1, 2, 2);
  optionGrid->addWidget(Label6, 3, 0, 1, 3);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(Text2, 1);
  pathRow->addWidget(Command4);
  optionGrid->addLayout(pathRow, 4, 0, 1, 3);

  auto* commands = new QHBoxLayout;
  commands->addStretch();
  commands->addWidget(Command5);
  commands->addWidget(Command7);
  commands->addWidget(Command6);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(storeRow);
  layout->addLayout(lists, 1);
  layout->addWidget(options);
  layout->addLayout(commands);
  resize(820, 600);
}

void FrmExtract::connectHandlers() {
  // A folder lists when it becomes the current one, by a click or the arrow keys; Enter or
  // a double click lists it again.
  connect(List1, &QListWidget::currentRowChanged, this, &FrmExtract::List1_Click);
  connect(List1, &QListWidget::itemActivated, this, &FrmExtract::List1_Click);
  connect(Check2, &QCheckBox::clicked, this, &FrmExtract::Check2_Click);
  connect(Command4, &QPushButton::clicked, this, &FrmExtract::Command4_Click);
  connect(Command5, &QPushButton::clicked, this, &FrmExtract::Command5_Click);
  connect(Command6, &QPushButton::clicked, this, &FrmExtract::Command6_Click);
  connect(Command7, &QPushButton::clicked, this, &FrmExtract::Command7_Click);
  connect(chooseStore, &QPushButton::clicked, this, &FrmExtract::chooseStore_Click);
}

}  // namespace mailvane
