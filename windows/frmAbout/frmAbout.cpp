#include "windows/frmAbout/frmAbout.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextDocument>
#include <QtMath>

#include <algorithm>

#include "controls/MsgBox.h"
#include "windows/frmAbout/SystemInfoTool.h"

namespace mailvane {
namespace {

const char* const programTitle = "Mailvane";

QString description() {
  const QStringList lines{
      QStringLiteral("Mailvane is a program written for personal use to extract and "),
      QStringLiteral("restore messages back to html code as before they where "),
      QStringLiteral("sent. The latest Mailvane version can be downloaded at:"),
      frmAbout::webSite().toString(),
      frmAbout::homePage().toString(),
      QStringLiteral("Tovelund"),
  };
  return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About ") + QLatin1String(programTitle));
  setMouseTracking(true);
  startProgram_ = &SystemInfoTool::start;
  buildLayout();
}

QUrl frmAbout::webSite() {
  return QUrl(QStringLiteral("https://mailvane.example.org/"));
}
QUrl frmAbout::mailAddress() {
  return QUrl(QStringLiteral("mailto:tovelund@example.org"));
}
QUrl frmAbout::homePage() {
  return QUrl(QStringLiteral("https://tovelund.example.org/"));
}

QString frmAbout::versionCaption() {
  return QStringLiteral("Version ") + QStringLiteral(MAILVANE_VERSION_TEXT);
}

void frmAbout::buildLayout() {
  auto* picIcon = new QLabel(this);
  picIcon->setObjectName(QStringLiteral("picIcon"));
  picIcon->setPixmap(QApplication::windowIcon().pixmap(64, 64));
  picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  picIcon->setMinimumWidth(72);

  auto* lblTitle = new QLabel(QLatin1String(programTitle), this);
  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  QFont titleFont = lblTitle->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
  titleFont.setBold(true);
  lblTitle->setFont(titleFont);
  auto* lblVersion = new QLabel(versionCaption(), this);
  lblVersion->setObjectName(QStringLiteral("lblVersion"));

  auto* text1 = new QPlainTextEdit(description(), this);
  text1->setObjectName(QStringLiteral("Text1"));
  text1->setReadOnly(true);
  text1->setLineWrapMode(QPlainTextEdit::NoWrap);
  text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const QFontMetrics metrics(text1->font());
  int widest = 0;
  for (const QString& line : description().split(QLatin1Char('\n')))
    widest = std::max(widest, metrics.horizontalAdvance(line));
  // Every line ends in a line break, so the text holds one empty line after the six.
  const int margins = 2 * (text1->frameWidth() + qCeil(text1->document()->documentMargin()));
  text1->setFixedSize(widest + margins + 8, metrics.lineSpacing() * 7 + margins + 2);

  links_ = {makeLink("Label1", tr("Mailvane web site"), webSite()),
            makeLink("Label2", tr("E-mail the author"), mailAddress()),
            makeLink("lblDisclaimer", tr("Author's home page"), homePage())};

  auto* cmdOK = new QPushButton(tr("OK"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setDefault(true);
  auto* cmdSysInfo = new QPushButton(tr("&System Info..."), this);
  cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
  connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
  connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

  auto* rule = new QFrame(this);
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);

  auto* linkRow = new QHBoxLayout;
  linkRow->setSpacing(18);
  for (QLabel* link : links_) linkRow->addWidget(link);
  linkRow->addStretch();

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdSysInfo);
  buttons->addWidget(cmdOK);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(16, 16, 16, 14);
  grid->setHorizontalSpacing(14);
  grid->addWidget(picIcon, 0, 0, 4, 1);
  grid->addWidget(lblTitle, 0, 1);
  grid->addWidget(lblVersion, 1, 1);
  grid->addWidget(text1, 2, 1);
  grid->addLayout(linkRow, 3, 1);
  grid->addWidget(rule, 4, 0, 1, 2);
  grid->addLayout(buttons, 5, 0, 1, 2);
  grid->setSizeConstraint(QLayout::SetFixedSize);
}

QLabel* frmAbout::makeLink(const char* name, const QString& caption, const QUrl& target) {
  auto* link = new QLabel(caption, this);
  link->setObjectName(QLatin1String(name));
  link->setTextFormat(Qt::PlainText);
  link->setCursor(Qt::PointingHandCursor);
  link->setToolTip(target.toString());
  // Room for the bold caption, so emphasis does not make the row jump.
  QFont bold = link->font();
  bold.setBold(true);
  link->setMinimumWidth(QFontMetrics(bold).horizontalAdvance(caption) + 2);
  link->setProperty("target", target);
  QPalette pal = link->palette();
  pal.setColor(QPalette::WindowText, pal.color(QPalette::Link));
  link->setPalette(pal);
  link->installEventFilter(this);
  return link;
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
  auto* link = qobject_cast<QLabel*>(watched);
  if (!link || std::find(links_.begin(), links_.end(), link) == links_.end())
    return QDialog::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::Enter:
      emphasise(link);
      break;
    case QEvent::Leave:
      emphasise(nullptr);
      break;
    case QEvent::MouseButtonRelease:
      if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
          link->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        QDesktopServices::openUrl(link->property("target").toUrl());
        return true;
      }
      break;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

void frmAbout::mouseMoveEvent(QMouseEvent* event) {
  emphasise(nullptr);
  QDialog::mouseMoveEvent(event);
}

void frmAbout::emphasise(const QLabel* hovered) {
  for (QLabel* link : links_) {
    QFont font = link->font();
    font.setBold(link == hovered);
    font.setUnderline(link == hovered);
    link->setFont(font);
  }
}

void frmAbout::cmdOK_Click() {
  close();
}

void frmAbout::cmdSysInfo_Click() {
  StartSysInfo();
}

void frmAbout::StartSysInfo() {
  const QString program = SystemInfoTool::find();
  if (!program.isEmpty() && startProgram_ && startProgram_(program)) return;
  MsgBox::show(this, QStringLiteral("System Information Is Unavailable At This Time"),
               QMessageBox::NoIcon, QMessageBox::Ok);
}

}  // namespace mailvane
