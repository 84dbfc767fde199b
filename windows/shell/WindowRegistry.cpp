#include "windows/shell/WindowRegistry.h"

#include <QWidget>

namespace mailvane {

WindowRegistry::~WindowRegistry() {
  for (QWidget* window : loadedWindows()) delete window;
}

void WindowRegistry::add(const QString& name, Factory make) {
  factories_.insert(name, std::move(make));
}

QWidget* WindowRegistry::show(const QString& name) {
  QWidget* window = loaded(name);
  if (!window) {
    const auto factory = factories_.constFind(name);
    if (factory == factories_.constEnd() || !*factory) return nullptr;
    window = (*factory)();
    if (!window) return nullptr;
    window->setObjectName(name);
    window->setAttribute(Qt::WA_DeleteOnClose);
    loaded_.append(window);
  }
  if (window->isMinimized()) window->showNormal();
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

QWidget* WindowRegistry::loaded(const QString& name) const {
  for (QWidget* window : loadedWindows())
    if (window->objectName() == name) return window;
  return nullptr;
}

QList<QWidget*> WindowRegistry::loadedWindows() const {
  loaded_.removeAll(nullptr);
  QList<QWidget*> windows;
  for (const QPointer<QWidget>& window : loaded_) windows.append(window);
  return windows;
}

void WindowRegistry::unload(const QStringList& names) {
  const QList<QWidget*> windows = loadedWindows();
  for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
    QPointer<QWidget> window = *it;  // an earlier close may have taken it down already
    if (window && names.contains(window->objectName())) window->close();
  }
}

}  // namespace mailvane
