// The controls of a message window and how they are laid out: the source pane on the
// left, the message list in the middle, the message's details and views on the right,
// and the commands, progress bars and settings along the bottom.
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

#include "controls/NetClass.h"
#include "windows/family/ClickLabel.h"
#include "windows/family/HeaderLabel.h"
#include "windows/family/MessageWindow.h"
#include "windows/family/NamedWidget.h"
#include "windows/family/PopupMenus.h"
#include "windows/family/SettingsPanel.h"
#include "windows/family/SoundPanel.h"

namespace mailvane {
namespace {

QLabel* caption(const char* text, const char* name, QWidget* parent) {
  auto* label = named(new QLabel(QString::fromLatin1(text), parent), name);
  label->setForegroundRole(QPalette::PlaceholderText);
  return label;
}

HeaderLabel* value(const char* name, const char* what, QWidget* parent) {
  return described(named(new HeaderLabel(parent), name), what);
}

QPushButton* button(const char* text, const char* name, QWidget* parent) {
  return named(new QPushButton(QString::fromLatin1(text), parent), name);
}

NetClass* downloadHost(const char* name, QObject* parent) {
  return new NetClass(name, QStringLiteral("Fetchvane.Loader"), QStringLiteral("Fetchvane.dll"),
                      QStringLiteral("plugin"), parent);
}

QHBoxLayout* countRow(QLabel* title, QLabel* count) {
  auto* row = new QHBoxLayout;
  row->addWidget(title);
  row->addWidget(count);
  row->addStretch();
  return row;
}

}  // namespace

void MessageWindow::createControls() {
  List1 = spoken(named(new QListWidget(this), "List1"), "Messages");
  List1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  List1->setContextMenuPolicy(Qt::CustomContextMenu);
  // Every row is one line of text: the list need not measure each of a hundred thousand
  // rows again whenever a batch of rows is added.
  List1->setUniformItemSizes(true);
  Label20 = caption("Found :", "Label20", this);
  Label21 = described(named(new QLabel(QStringLiteral("0"), this), "Label21"), "Messages found");
  List2 = spoken(named(new QListWidget(this), "List2"), "Parts and linked files");
  List2->setSelectionMode(QAbstractItemView::ExtendedSelection);
  List2->setContextMenuPolicy(Qt::CustomContextMenu);
  Label9 = caption("Files Found :", "Label9", this);
  Label10 = described(named(new QLabel(QStringLiteral("0"), this), "Label10"), "Files found");
  createHeaderLabels();

  W1 = spoken(named(new QWebEngineView(this), "W1"), "Message preview");
  R1 = spoken(named(new QPlainTextEdit(this), "R1"), "Message text");
  R1->setReadOnly(true);
  R1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Command9 = button("Preview", "Command9", this);
  Command10 = button("Source", "Command10", this);
  Command11 = button("Html", "Command11", this);
  Command13 = button("Text", "Command13", this);
  Command14 = button("Extract", "Command14", this);
  Command4 = button("Check All for Sound files", "Command4", this);
  Command5 = button("Check All for Online sound Files", "Command5", this);
  PBar1 = spoken(named(new QProgressBar(this), "PBar1"), "Progress of the command");
  PBar2 = spoken(named(new QProgressBar(this), "PBar2"), "Progress of the list");
  PBar1->hide();
  PBar2->hide();

  Picture2 = new SettingsPanel(*settings_, *picker_, this);
  Picture2->setStoresChoices(traits_.storesChoices);
  Picture2->hide();
  Label18 = named(new ClickLabel(QStringLiteral("+"), this), "Label18");
  Label19 = named(new ClickLabel(QStringLiteral("Settings :"), this), "Label19");
  Psound1 = new SoundPanel(this);
  Command17 = Psound1->Command17;
  Psound1->hide();
  NetClass1 = downloadHost("NetClass1", this);
  NetClass2 = downloadHost("NetClass2", this);
  soundDownloads = NetClass1;
  fontDownloads = NetClass2;
  walkReport = described(named(new QLabel(this), "walkReport"), "Extraction result");
  walkReport->hide();
  openOutput = button("Open output folder", "openOutput", this);
  openOutput->hide();
  menus = new PopupMenus(this);
}

void MessageWindow::createHeaderLabels() {
  Label3 = caption("From :", "Label3", this);
  Label4 = value("Label4", "From", this);
  Label7 = caption("Date :", "Label7", this);
  Label8 = value("Label8", "Date", this);
  Label5 = caption("Size :", "Label5", this);
  Label6 = value("Label6", "Size", this);
  Label13 = caption("Client :", "Label13", this);
  Label1 = value("Label1", "Client", this);
  Label14 = caption("Mime Version :", "Label14", this);
  Label11 = value("Label11", "Mime Version", this);
  Label15 = caption("Lines :", "Label15", this);
  Label12 = value("Label12", "Lines", this);
  Label16 = caption("Encoding :", "Label16", this);
  Label2 = value("Label2", "Encoding", this);
}

void MessageWindow::assembleLayout(QWidget* sourcePane) {
  auto* messages = new QWidget(this);
  auto* messagesLayout = new QVBoxLayout(messages);
  messagesLayout->setContentsMargins(0, 0, 0, 0);
  messagesLayout->addLayout(countRow(Label20, Label21));
  messagesLayout->addWidget(List1);

  auto* message = new QSplitter(Qt::Vertical, this);
  message->addWidget(detailsPane());
  message->addWidget(viewsPane());
  message->setStretchFactor(0, 1);
  message->setStretchFactor(1, 3);

  auto* panes = new QSplitter(Qt::Horizontal, this);
  panes->setObjectName(QStringLiteral("panes"));
  panes->setChildrenCollapsible(false);
  panes->addWidget(sourcePane);
  panes->addWidget(messages);
  panes->addWidget(message);
  panes->setSizes({220, 250, 630});
  panes->setStretchFactor(2, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panes, 1);
  layout->addWidget(Picture2);
  layout->addWidget(Psound1);
  layout->addWidget(commandBar());
  // Never larger than the screen it opens on, small ones included.
  QSize size(1100, 700);
  if (const QScreen* shownOn = screen()) size = size.boundedTo(shownOn->availableGeometry().size());
  resize(size);
}

void MessageWindow::addUnderList(QWidget* widget) {
  // List1 sits in the column assembleLayout made for it, under its count.
  static_cast<QVBoxLayout*>(List1->parentWidget()->layout())->addWidget(widget);
}

QWidget* MessageWindow::detailsPane() {
  auto* pane = new QWidget(this);
  auto* fields = new QFormLayout;
  fields->setLabelAlignment(Qt::AlignRight);
  fields->addRow(Label3, Label4);
  fields->addRow(Label7, Label8);
  fields->addRow(Label5, Label6);
  fields->addRow(Label13, Label1);
  fields->addRow(Label14, Label11);
  fields->addRow(Label15, Label12);
  fields->addRow(Label16, Label2);
  auto* parts = new QVBoxLayout;
  parts->addLayout(countRow(Label9, Label10));
  parts->addWidget(List2);
  auto* layout = new QHBoxLayout(pane);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(fields, 3);
  layout->addLayout(parts, 2);
  return pane;
}

QWidget* MessageWindow::viewsPane() {
  auto* pane = new QWidget(this);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* view : {Command9, Command10, Command11, Command13}) buttons->addWidget(view);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(buttons);
  layout->addWidget(R1, 1);
  layout->addWidget(W1, 1);
  W1->hide();
  return pane;
}

QWidget* MessageWindow::commandBar() {
  auto* bar = new QWidget(this);
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Label18);
  layout->addWidget(Label19);
  layout->addSpacing(12);
  layout->addWidget(Command4);
  layout->addWidget(Command5);
  layout->addStretch();
  layout->addWidget(walkReport);
  layout->addWidget(openOutput);
  layout->addWidget(PBar1);
  layout->addWidget(PBar2);
  layout->addWidget(Command14);
  Command14->setDefault(true);
  return bar;
}

void MessageWindow::connectHandlers() {
  if (traits_.listCommands) {
    // The current row follows mouse and keyboard alike; a cleared list reports -1.
    connect(List1, &QListWidget::currentRowChanged, this, [this](int row) {
      if (row >= 0) List1_Click();
    });
    connect(List1, &QListWidget::customContextMenuRequested, this,
            &MessageWindow::List1_MouseDown);
    if (traits_.refillOnReplyFilter)
      connect(Picture2, &SettingsPanel::replyFilterChanged, this, [this] { LoadList(); });
    connect(Command4, &QPushButton::clicked, this, &MessageWindow::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &MessageWindow::Command5_Click);
  } else {
    Command4->hide();
    Command5->hide();
  }
  connect(List2, &QListWidget::customContextMenuRequested, this, &MessageWindow::List2_MouseDown);
  connect(Command9, &QPushButton::clicked, this, &MessageWindow::Command9_Click);
  connect(Command10, &QPushButton::clicked, this, &MessageWindow::Command10_Click);
  connect(Command11, &QPushButton::clicked, this, &MessageWindow::Command11_Click);
  connect(Command13, &QPushButton::clicked, this, &MessageWindow::Command13_Click);
  connect(Command14, &QPushButton::clicked, this, &MessageWindow::Command14_Click);
  connect(Label18, &ClickLabel::clicked, this, &MessageWindow::Label18_Click);
  connect(Label19, &ClickLabel::clicked, this, &MessageWindow::Label18_Click);
  connect(Picture2, &SettingsPanel::closeRequested, this, &MessageWindow::Command3_Click);
  connect(Psound1, &SoundPanel::closeRequested, this, &MessageWindow::Command17_Click);
  connect(openOutput, &QPushButton::clicked, this,
          [this] { opener_(QUrl::fromLocalFile(QString::fromStdString(Outputfolder.string()))); });

  connect(menus->mnuExtractAll, &QAction::triggered, this, &MessageWindow::mnuExtractAll_Click);
  connect(menus->mnuExtractHtml, &QAction::triggered, this, &MessageWindow::mnuExtractHtml_Click);
  connect(menus->mnuExtracttxt, &QAction::triggered, this, &MessageWindow::mnuExtracttxt_Click);
  connect(menus->mnuExtractSoundsOnly, &QAction::triggered, this,
          &MessageWindow::mnuExtractSoundsOnly_Click);
  connect(menus->mnuchecksound, &QAction::triggered, this, &MessageWindow::mnuchecksound_Click);
  connect(menus->mnupopuplists, &QAction::triggered, this, &MessageWindow::mnupopuplists_Click);
  connect(menus->mnucheckOnlinefont, &QAction::triggered, this,
          &MessageWindow::mnucheckOnlinefont_Click);
  connect(menus->mnuplay, &QAction::triggered, this, &MessageWindow::mnuplay_Click);
  connect(menus->mnustop, &QAction::triggered, this, &MessageWindow::mnustop_Click);
  connect(menus->mnuCheckOnlineverify, &QAction::triggered, this,
          &MessageWindow::mnuCheckOnlineverify_Click);
  connect(menus->MNUDOWLOAD, &QAction::triggered, this, &MessageWindow::MNUDOWLOAD_Click);
  connect(menus->mnudownloadeot, &QAction::triggered, this, &MessageWindow::mnudownloadeot_Click);
  if (traits_.storeJumps) {
    connect(menus->mnugotoLive, &QAction::triggered, this, &MessageWindow::mnugotoLive_Click);
    connect(menus->mnugotoMail, &QAction::triggered, this, &MessageWindow::mnugotoMail_Click);
  } else {
    menus->mnugotoLive->setEnabled(false);
    menus->mnugotoMail->setEnabled(false);
  }
}

}  // namespace mailvane
