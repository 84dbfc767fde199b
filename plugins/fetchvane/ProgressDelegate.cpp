#include "plugins/fetchvane/ProgressDelegate.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOptionProgressBar>

#include "plugins/fetchvane/DownloadModel.h"

namespace mailvane::fetchvane {

void ProgressDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  // The cell itself (background, selection) is drawn as usual, without its text.
  QStyleOptionViewItem cell(option);
  initStyleOption(&cell, index);
  cell.text.clear();
  const QWidget* widget = option.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

  const QVariant value = index.data(DownloadModel::ProgressRole);
  if (!value.isValid()) return;
  const int percent = value.toInt();
  QStyleOptionProgressBar bar;
  if (widget) bar.initFrom(widget);
  bar.rect = option.rect.adjusted(4, 3, -4, -3);
  bar.state = (option.state & QStyle::State_Enabled) | QStyle::State_Horizontal;
  bar.minimum = 0;
  // An unknown length shows as a busy bar, which is minimum == maximum.
  bar.maximum = percent < 0 ? 0 : 100;
  bar.progress = std::max(0, percent);
  bar.textVisible = percent >= 0;
  bar.text = index.data(Qt::DisplayRole).toString();
  bar.textAlignment = Qt::AlignCenter;
  style->drawControl(QStyle::CE_ProgressBar, &bar, painter, widget);
}

}  // namespace mailvane::fetchvane
