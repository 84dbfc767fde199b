#pragma once
// The message windows name every control as the window's code knows it, so tests and
// the window's own code find each one by name.

#include <QLatin1String>
#include <QString>

namespace mailvane {

template <typename T>
T* named(T* widget, const char* name) {
  widget->setObjectName(QLatin1String(name));
  return widget;
}

// The name a screen reader says for a control whose own text does not tell what it is
// (a list, a view, a button showing "x").
template <typename T>
T* spoken(T* widget, const char* what) {
  widget->setAccessibleName(QString::fromUtf8(what));
  return widget;
}

// What a label that shows a value (a count, a header field) is about: said after the
// value, which stays the label's name.
template <typename T>
T* described(T* label, const char* what) {
  label->setAccessibleDescription(QString::fromUtf8(what));
  return label;
}

}  // namespace mailvane
