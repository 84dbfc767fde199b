#include "windows/FrmMenu/FrmMenu.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "controls/clsTooltips.h"
#include "windows/FrmMenu/MenuArtwork.h"
#include "windows/shell/WindowRegistry.h"

namespace mailvane {
namespace {

struct ButtonSpec {
  const char* name;
  const char* caption;
};

// Top to bottom as the menu shows them: the working windows, then About and Exit.
constexpr ButtonSpec buttonSpecs[] = {
    {"Command1", "Eml/Nws Extract"},
    {"Command2", "Dbx Extract"},
    {"Command3", "OE and WM Personal Folders"},
    {"Command6", "WM and WLM Listener"},
    {"Command7", "Indexed News"},
    {"Command4", "About"},
    {"Command5", "Exit"},
};

struct BalloonSpec {
  const char* button;
  const char* title;
  const char* text;
};

constexpr BalloonSpec balloonSpecs[] = {
    {"Command1", "Extract Eml and Nws Files",
     "This loads eml and nws files from any folder you select"},
    {"Command2", "Extract Eml and Nws Files from dbx",
     "This loads eml and nws files from a dbx file you select"},
    {"Command3", "Extract Eml and Nws Files",
     "This loads eml and nws files from Personal folders in OE or Windows Mail"},
    {"Command6", "Windows Mail and Windows Live Mail Extract Eml and Nws Files",
     "This listen and loads eml and nws files when Windows Mail or Windows Live Mail create "
     "them"},
    {"Command7", "Search in indexed files", "This search for indexed News"},
};

}  // namespace

static_assert(std::size(balloonSpecs) == 5, "the menu keeps one balloon per working window");

FrmMenu::FrmMenu(WindowRegistry& windows, QWidget* parent) : QWidget(parent), windows_(windows) {
  setObjectName(QStringLiteral("FrmMenu"));
  setWindowTitle(QStringLiteral("Mailvane"));
  buildLayout();
  attachBalloons();
}

const QStringList& FrmMenu::programWindowNames() {
  static const QStringList names{QStringLiteral("FrmLive"),       QStringLiteral("FrmExtract"),
                                 QStringLiteral("FrmDbxExtract"), QStringLiteral("frmAbout"),
                                 QStringLiteral("emlnwstest"),    QStringLiteral("FrmListen"),
                                 QStringLiteral("Frmindex")};
  return names;
}

void FrmMenu::buildLayout() {
  auto* picture2 = new QLabel(this);
  picture2->setObjectName(QStringLiteral("Picture2"));
  picture2->setPixmap(MenuArtwork::vane(QSize(104, 280), devicePixelRatioF()));
  picture2->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

  auto* column = new QVBoxLayout;
  column->setSpacing(6);
  for (const ButtonSpec& entry : buttonSpecs) {
    if (QLatin1String(entry.name) == QLatin1String("Command4")) column->addSpacing(12);
    auto* button = new QPushButton(QString::fromLatin1(entry.caption), this);
    button->setObjectName(QString::fromLatin1(entry.name));
    button->setMinimumSize(210, 34);
    column->addWidget(button);
  }
  column->addStretch();

  auto* body = new QHBoxLayout;
  body->setContentsMargins(14, 14, 18, 16);
  body->setSpacing(16);
  body->addWidget(picture2);
  body->addLayout(column);

  // The banner spans the whole window, however wide the buttons make it.
  auto* picture1 = new QLabel(this);
  picture1->setObjectName(QStringLiteral("Picture1"));
  const int width = std::max(360, body->sizeHint().width());
  picture1->setPixmap(MenuArtwork::banner(QSize(width, 76), devicePixelRatioF()));

  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(0, 0, 0, 0);
  root->setSpacing(0);
  root->addWidget(picture1);
  root->addLayout(body);
  root->setSizeConstraint(QLayout::SetFixedSize);

  const auto connectButton = [this](const char* name, void (FrmMenu::*slot)()) {
    connect(findChild<QPushButton*>(QLatin1String(name)), &QPushButton::clicked, this, slot);
  };
  connectButton("Command1", &FrmMenu::Command1_Click);
  connectButton("Command2", &FrmMenu::Command2_Click);
  connectButton("Command3", &FrmMenu::Command3_Click);
  connectButton("Command4", &FrmMenu::Command4_Click);
  connectButton("Command5", &FrmMenu::Command5_Click);
  connectButton("Command6", &FrmMenu::Command6_Click);
  connectButton("Command7", &FrmMenu::Command7_Click);
}

void FrmMenu::attachBalloons() {
  for (std::size_t i = 0; i < balloons_.size(); ++i) {
    const BalloonSpec& entry = balloonSpecs[i];
    balloons_[i] = new clsTooltips(this);
    balloons_[i]->CreateBalloon(findChild<QPushButton*>(QLatin1String(entry.button)),
                                QString::fromLatin1(entry.text), QString::fromLatin1(entry.title),
                                clsTooltips::iconInfo);
  }
}

void FrmMenu::Command1_Click() {
  windows_.show(QStringLiteral("FrmLive"));
}
void FrmMenu::Command2_Click() {
  windows_.show(QStringLiteral("FrmDbxExtract"));
}
void FrmMenu::Command3_Click() {
  windows_.show(QStringLiteral("FrmExtract"));
}
void FrmMenu::Command4_Click() {
  windows_.show(QStringLiteral("frmAbout"));
}
void FrmMenu::Command6_Click() {
  windows_.show(QStringLiteral("FrmListen"));
}
void FrmMenu::Command7_Click() {
  windows_.show(QStringLiteral("Frmindex"));
}

void FrmMenu::Command5_Click() {
  windows_.unload(programWindowNames());
  close();
}

}  // namespace mailvane
