#pragma once
// Stands in for a window that this build does not have yet: the right caption and a note.

#include <QWidget>

#include "windows/shell/WindowRegistry.h"

namespace mailvane {

class PlaceholderWindow : public QWidget {
  Q_OBJECT

 public:
  explicit PlaceholderWindow(const QString& caption, QWidget* parent = nullptr);

  // A factory for WindowRegistry::add.
  static WindowRegistry::Factory factory(const QString& caption);
};

}  // namespace mailvane
