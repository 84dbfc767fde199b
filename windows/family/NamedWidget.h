#pragma once
// The message windows name every control as the window's code knows it, so tests and
// the window's own code find each one by name.

#include <QLatin1String>

namespace mailvane {

template <typename T>
T* named(T* widget, const char* name) {
  widget->setObjectName(QLatin1String(name));
  return widget;
}

}  // namespace mailvane
