#include "windows/FrmListen/FrmListen.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/MsgBox.h"
#include "controls/NetClass.h"
#include "controls/clsTooltips.h"
#include "system/QtSettings.h"
#include "system/StoreRoot.h"
#include "windows/FrmListen/ClientStore.h"
#include "windows/family/NamedWidget.h"

namespace mailvane {
namespace {

// Check1 only stores its value here: it applies to the files reported afterwards. There
// is no folder tree to jump from.
constexpr MessageWindow::Traits kTraits{
    .listCommands = true, .storesChoices = true, .storeJumps = false, .refillOnReplyFilter = false};

QString clientName(std::string_view client) {
  return QString::fromLatin1(client.data(), static_cast<qsizetype>(client.size()));
}

QString shownPath(const std::filesystem::path& folder) {
  return QString::fromStdString(folder.string());
}

}  // namespace

FrmListen::FrmListen(QWidget* parent) : FrmListen(std::make_unique<system::QtSettings>(), parent) {}

FrmListen::FrmListen(std::unique_ptr<system::Settings> settings, QWidget* parent)
    : MessageWindow(QStringLiteral("Listen on Windows Live or Windows Mail folders"), kTraits,
                    std::move(settings), parent),
      NetClass3(newWatchHost()) {
  setObjectName(QStringLiteral("FrmListen"));
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(kPollInterval);
  connect(Timer1, &QTimer::timeout, this, &FrmListen::Timer1_Timer);
  assembleLayout(sourcePane());
  Form_Load();
}

FrmListen::~FrmListen() = default;

NetClass* FrmListen::newWatchHost() {
  return new NetClass("NetClass3", QStringLiteral("Newswatch.Newswatch"),
                      QStringLiteral("Newswatch.dll"), QStringLiteral("plugin"), this);
}

QWidget* FrmListen::sourcePane() {
  auto* pane = new QWidget(this);
  Picture7 = named(new QFrame(pane), "Picture7");
  Picture7->setFrameShape(QFrame::StyledPanel);
  Label22 = named(new QLabel(QStringLiteral("Listen on :"), Picture7), "Label22");
  // A button drawn as text, so the switch is reached by keyboard and screen readers too.
  Label23 = named(new QPushButton(Picture7), "Label23");
  Label23->setFlat(true);
  Label23->setCursor(Qt::PointingHandCursor);
  Label23->setAccessibleDescription(
      QStringLiteral("Switches between Windows Mail and Windows Live Mail"));
  QFont bold = Label23->font();
  bold.setBold(true);
  Label23->setFont(bold);
  auto* client = new QHBoxLayout(Picture7);
  client->addWidget(Label22);
  client->addWidget(Label23);
  client->addStretch();

  Command6 = named(new QPushButton(QStringLiteral("Run"), pane), "Command6");
  Command6->setAccessibleDescription(QStringLiteral("Starts or stops listening"));
  listenState = described(named(new QLabel(pane), "listenState"), "Watched folder");
  listenState->setWordWrap(true);
  listenState->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Picture7);
  layout->addWidget(Command6, 0, Qt::AlignLeft);
  layout->addWidget(listenState);
  layout->addStretch();
  connect(Label23, &QPushButton::clicked, this, &FrmListen::Label23_Click);
  connect(Command6, &QPushButton::clicked, this, &FrmListen::Command6_Click);
  return pane;
}

void FrmListen::Form_Load() {
  loadFamilySettings();
  bool found = false;
  for (std::string_view client : {system::kWindowsLiveMail, system::kWindowsMail}) {
    const std::filesystem::path store = ClientStore::find(client);
    if (store.empty()) continue;
    showClient(clientName(client), store);
    found = true;
    break;
  }
  if (!found) {
    storeMissing_ = true;
    showClient(QString(), ClientStore::storedMailRoot());
  }
  tip_ = new clsTooltips(this);
  tip_->CreateBalloon(Picture7,
                      QStringLiteral("Click to switch between Windows Mail and Windows Live Mail"),
                      QStringLiteral("Click to switch!"), clsTooltips::iconInfo);
}

// Told over the window, not before it appears, so the user sees which window speaks.
void FrmListen::showEvent(QShowEvent* event) {
  MessageWindow::showEvent(event);
  if (!storeMissing_) return;
  storeMissing_ = false;
  QTimer::singleShot(0, this,
                     [this] { MsgBox::show(this, QStringLiteral("Folders can not be found!")); });
}

void FrmListen::showClient(const QString& client, const std::filesystem::path& store) {
  Listenpath = store;
  Label23->setText(client);
  Label23->setEnabled(!client.isEmpty());
  Label23->setAccessibleName(client.isEmpty() ? QStringLiteral("Listen on: no mail client found")
                                              : QStringLiteral("Listen on: ") + client);
  showState();
}

void FrmListen::showState(const QString& problem) {
  QString text;
  if (!problem.isEmpty())
    text = QStringLiteral("Not listening: %1").arg(problem);
  else if (Listenpath.empty())
    text = QStringLiteral("No store folder to listen on.");
  else if (Listening)
    text = QStringLiteral("Listening on %1 and its sub-folders.").arg(shownPath(Listenpath));
  else
    text = QStringLiteral("\"Run\" listens on %1 and its sub-folders.").arg(shownPath(Listenpath));
  listenState->setText(text);
}

// --- The client switch

void FrmListen::Label23_Click() {
  if (Listening) stopWatch();
  if (Label23->text() == clientName(system::kWindowsMail))
    switchClient(system::kWindowsLiveMail, QStringLiteral("Could not find the store!"),
                 QMessageBox::NoIcon);
  else if (Label23->text() == clientName(system::kWindowsLiveMail))
    switchClient(system::kWindowsMail, QStringLiteral("Didn't find the stoore folder"),
                 QMessageBox::Information);
}

void FrmListen::switchClient(std::string_view client, const QString& notFound,
                             QMessageBox::Icon icon) {
  const std::filesystem::path store = ClientStore::find(client);
  if (store.empty()) {
    MsgBox::show(this, notFound, icon);
    return;
  }
  showClient(clientName(client), store);
}

// --- Run and Stop

void FrmListen::Command6_Click() {
  if (Listening)
    stopWatch();
  else
    startWatch();
}

void FrmListen::startWatch() {
  NetClass3->stopp();
  Command6->setText(QStringLiteral("Stop"));
  Listening = true;
  QString failure;
  const auto step = [&](bool done) {
    if (!done && failure.isEmpty()) failure = NetClass3->lastError();
  };
  step(NetClass3->Run());
  step(NetClass3->call("AddFilecreated", {QVariant::fromValue<QObject*>(this)}));
  step(NetClass3->setMember("Path", shownPath(Listenpath)));
  step(NetClass3->setMember("Filter", QStringLiteral("*.*")));
  step(NetClass3->setMember("IncludeSubdir", true));
  step(NetClass3->setMember("Run", true));
  if (NetClass3->member("Run").toBool()) {
    // Queued: the handler releases the plug-in object, which must not happen inside its call.
    connect(NetClass3->cas(), SIGNAL(errorOccurred(QString)), this, SLOT(watchProblem(QString)),
            Qt::QueuedConnection);
    showState();
    return;
  }
  // A button reading "Stop" over a watch that never started would promise messages that
  // never come.
  const QString reason = NetClass3->member("LastError").toString();
  if (!reason.isEmpty()) failure = reason;
  stopWatch();
  if (failure.isEmpty()) failure = QStringLiteral("the folder watch did not start");
  showState(failure);
  MsgBox::show(this,
               QStringLiteral("Could not listen on %1:\n%2").arg(shownPath(Listenpath), failure),
               QMessageBox::Warning);
}

void FrmListen::stopWatch() {
  NetClass3->call("RemoveFilecreated", {QVariant::fromValue<QObject*>(this)});
  NetClass3->setMember("Run", false);
  NetClass3->stopp();
  Command6->setText(QStringLiteral("Run"));
  Listening = false;
  showState();
}

// The plug-in stops by itself when the watched folder goes away.
void FrmListen::watchProblem(const QString& message) {
  if (!Listening || NetClass3->member("Run").toBool()) return;
  stopWatch();
  showState(message);
}

void FrmListen::closeEvent(QCloseEvent* event) {
  // A closed window hears of no more files; what was reported is not listed any more.
  if (Listening) stopWatch();
  Timer1->stop();
  arrivals_.clear();
  MessageWindow::closeEvent(event);
}

}  // namespace mailvane
