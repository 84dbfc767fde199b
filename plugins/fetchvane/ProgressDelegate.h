#pragma once
// Draws a row's progress as the platform's own progress bar inside the table cell.

#include <QStyledItemDelegate>

namespace mailvane::fetchvane {

class ProgressDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
};

}  // namespace mailvane::fetchvane
