#include "windows/family/HeaderLabel.h"

#include <QPainter>
#include <QStyle>

namespace mailvane {
namespace {

// More than any screen shows on one line; laying out megabytes would stall the window.
constexpr qsizetype kMostShown = 4096;

bool breaksLine(QChar c) {
  switch (c.unicode()) {
    case '\t': case '\n': case '\v': case '\f': case '\r': case 0x85: case 0x2028: case 0x2029:
      return true;
    default:
      return false;
  }
}

}  // namespace

HeaderLabel::HeaderLabel(QWidget* parent) : QLabel(parent) {
  // A field that looks like markup is shown as it stands, never laid out as rich text.
  setTextFormat(Qt::PlainText);
  setWordWrap(false);
  setTextInteractionFlags(Qt::TextSelectableByMouse);
  setMinimumWidth(60);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

QString HeaderLabel::oneLine(const QString& text) {
  QString line;
  line.reserve(text.size());
  for (qsizetype at = 0; at < text.size();) {
    if (text[at] != QLatin1Char(' ') && !breaksLine(text[at])) {
      line += text[at++];
      continue;
    }
    // A run of blanks: kept as it is, unless a line break or tab makes it one space.
    const qsizetype start = at;
    bool broken = false;
    for (; at < text.size() && (text[at] == QLatin1Char(' ') || breaksLine(text[at])); ++at)
      broken = broken || breaksLine(text[at]);
    line += broken ? QStringView(u" ") : QStringView(text).mid(start, at - start);
  }
  return line.trimmed();
}

void HeaderLabel::setValue(const QString& value) {
  QString line = oneLine(value.left(kMostShown * 2));
  if (line.size() > kMostShown) line = line.left(kMostShown) + QChar(0x2026);
  setText(line);
  setToolTip(value);
}

QString HeaderLabel::shownText() const {
  return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void HeaderLabel::paintEvent(QPaintEvent* event) {
  const QString shown = shownText();
  if (shown == text()) {
    QLabel::paintEvent(event);  // fits: painted as usual, selection included
    return;
  }
  QPainter painter(this);
  style()->drawItemText(&painter, contentsRect(),
                        QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                        isEnabled(), shown, foregroundRole());
}

}  // namespace mailvane
