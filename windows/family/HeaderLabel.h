#pragma once
// A header field's value in a message window. A broken message can hold a whole page
// (or megabytes) in one field, so the label keeps to one line of plain text: line breaks
// and tabs show as spaces, what does not fit is elided at the right, and the tool tip
// holds the whole value. The window never grows for a header.

#include <QLabel>

namespace mailvane {

class HeaderLabel : public QLabel {
  Q_OBJECT

 public:
  explicit HeaderLabel(QWidget* parent = nullptr);

  // Shows value on one line; text() is that line.
  void setValue(const QString& value);
  // The text as painted at the label's width.
  QString shownText() const;

  // Text on one line: every run of line breaks and tabs becomes one space, and the ends
  // are trimmed.
  static QString oneLine(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace mailvane
