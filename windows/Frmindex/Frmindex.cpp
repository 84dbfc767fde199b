#include "windows/Frmindex/Frmindex.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "controls/clsTooltips.h"
#include "index/IndexLocations.h"
#include "system/QtSettings.h"
#include "windows/Frmindex/IndexFolders.h"
#include "windows/Frmindex/IndexKeeper.h"
#include "windows/family/NamedWidget.h"
#include "windows/family/SettingsPanel.h"

namespace mailvane {
namespace {

// The search window has no folder browsing, so no store jumps, and its reply filter
// applies from the next search on rather than refilling the list.
MessageWindow::Traits searchTraits() {
  MessageWindow::Traits traits;
  traits.storeJumps = false;
  traits.refillOnReplyFilter = false;
  return traits;
}

bool sameEntries(const std::vector<ListFill::Entry>& a, const std::vector<ListFill::Entry>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
    return x.subject == y.subject && x.liveFileID == y.liveFileID;
  });
}

}  // namespace

Frmindex::Frmindex(QWidget* parent)
    : Frmindex(std::make_unique<system::QtSettings>(), index::defaultIndexFile(), parent) {}

Frmindex::Frmindex(std::unique_ptr<system::Settings> settings, std::filesystem::path indexFile,
                   QWidget* parent)
    : MessageWindow(QStringLiteral("Search in Indexed News"), searchTraits(), std::move(settings),
                    parent),
      index_(indexFile),
      keeper_(new IndexKeeper(indexFile, this)) {
  setObjectName(QStringLiteral("Frmindex"));
  assembleLayout(searchPane());
  indexStatus = described(named(new QLabel(this), "indexStatus"), "State of the index");
  indexStatus->setWordWrap(true);
  indexStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
  addUnderList(indexStatus);
  folders_ = new IndexFolders(MessageWindow::settings(), Picture2);
  Picture2->addSection(folders_);

  connect(Command1, &QPushButton::clicked, this, &Frmindex::Command1_Click);
  connect(Text2, &QLineEdit::returnPressed, this, &Frmindex::Command1_Click);
  connect(Command6, &QPushButton::clicked, this, &Frmindex::Command6_Click);
  connect(keeper_, &IndexKeeper::progressed, this, &Frmindex::showStatus);
  connect(keeper_, &IndexKeeper::finished, this, &Frmindex::indexingEnded);
  connect(folders_, &IndexFolders::changed, this, &Frmindex::indexFoldersChanged);
  Form_Load();
}

Frmindex::~Frmindex() = default;

QWidget* Frmindex::searchPane() {
  auto* pane = new QWidget(this);
  Command6 = named(new QPushButton(QStringLiteral("New Search"), pane), "Command6");
  Command6->setAccessibleDescription(QStringLiteral("Shows or hides the search box"));
  Picture7 = named(new QFrame(pane), "Picture7");
  Picture7->setFrameShape(QFrame::StyledPanel);
  Text2 = spoken(named(new QLineEdit(Picture7), "Text2"), "Words to search for in Subject");
  Text2->setPlaceholderText(QStringLiteral("Words in the subject"));
  Text2->setClearButtonEnabled(true);
  Command1 = named(new QPushButton(QStringLiteral("Search"), Picture7), "Command1");
  auto* box = new QHBoxLayout(Picture7);
  box->addWidget(Text2, 1);
  box->addWidget(Command1);

  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Command6, 0, Qt::AlignLeft);
  layout->addWidget(Picture7);
  layout->addStretch();
  return pane;
}

void Frmindex::Form_Load() {
  loadFamilySettings();
  tip_ = new clsTooltips(this);
  tip_->CreateBalloon(Picture7, QStringLiteral("Search for Indexed News Windows have indexed"),
                      QStringLiteral("Type a word to search for in Subject"),
                      clsTooltips::iconInfo);
  // What the index already holds is listed at once; the scan refreshes it when it ends.
  search({});
  Picture7->hide();
  startIndexing();
}

bool Frmindex::indexing() const {
  return keeper_->running();
}

void Frmindex::Command1_Click() {
  Picture7->hide();
  search(Text2->text().toStdString());
  Picture7->hide();
}

void Frmindex::Command6_Click() {
  Picture7->setVisible(Picture7->isHidden());
  if (Picture7->isVisible()) Text2->setFocus();
}

void Frmindex::LoadList() {
  search(Text2->text().toStdString());
}

void Frmindex::search(const std::string& words) {
  showFound(words, index_.find(words));
}

void Frmindex::showFound(const std::string& words, IndexSearch::Result found) {
  status_.searchError = found.ok ? std::string() : found.error;
  status_.notice = found.ok ? found.error : std::string();
  lastWords_ = words;
  lastFound_ = found.news;
  showStatus();
  // The fill yields; a search started meanwhile takes over the list, never these rows.
  auto entries = std::make_shared<const std::vector<ListFill::Entry>>(std::move(found.news));
  fillList(entries->size(),
           [entries](size_t i) -> std::optional<ListFill::Entry> { return (*entries)[i]; });
}

void Frmindex::startIndexing() {
  keeper_->start(index::indexRoots(settings()));
  showStatus();
}

void Frmindex::indexingEnded() {
  status_.scanError = keeper_->lastError();
  // The list follows the index, but a list that would come back the same is left alone,
  // with the message on show and the rows selected.
  IndexSearch::Result found = index_.find(lastWords_);
  if (found.ok && status_.searchError.empty() && sameEntries(found.news, lastFound_))
    showStatus();
  else
    showFound(lastWords_, std::move(found));
}

// A folder taken out of the index takes its messages with it; a scan over the folders
// now named then adds what they hold, a folder inside one of them included.
void Frmindex::indexFoldersChanged(const QStringList& removed) {
  keeper_->stop();
  status_.scanError.clear();
  for (const QString& folder : removed) {
    std::string error;
    if (!index_.forget(folder.toStdString(), error)) status_.scanError = error;
  }
  if (!removed.isEmpty()) search(lastWords_);
  startIndexing();
}

void Frmindex::showStatus() {
  status_.messages = index_.count();
  status_.lastUpdate = index_.lastUpdate();
  status_.scanning = keeper_->running();
  status_.seen = keeper_->seen();
  indexStatus->setText(status_.text());
}

// Each later opening brings the index up to date again; the first started with the window.
void Frmindex::closeEvent(QCloseEvent* event) {
  MessageWindow::closeEvent(event);
  if (event->isAccepted()) reopened_ = true;
}

void Frmindex::showEvent(QShowEvent* event) {
  MessageWindow::showEvent(event);
  if (std::exchange(reopened_, false)) startIndexing();
}

}  // namespace mailvane
