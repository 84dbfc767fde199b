#pragma once
// Shows or hides a window or panel with an animation chosen by five switches and a
// direction. A switch counts only when it is exactly 1 (so true stored as -1 does not),
// and a direction outside 0..3 makes the call do nothing.

#include <QtGlobal>

#include <optional>

class QWidget;

namespace mailvane {

class Animate {
 public:
  static constexpr quint32 AW_HOR_POSITIVE = 0x1;
  static constexpr quint32 AW_HOR_NEGATIVE = 0x2;
  static constexpr quint32 AW_VER_POSITIVE = 0x4;
  static constexpr quint32 AW_VER_NEGATIVE = 0x8;
  static constexpr quint32 AW_CENTER = 0x10;
  static constexpr quint32 AW_HIDE = 0x10000;
  static constexpr quint32 AW_ACTIVATE = 0x20000;
  static constexpr quint32 AW_SLIDE = 0x40000;
  static constexpr quint32 AW_BLEND = 0x80000;

  struct Switches {
    qint16 activate = 0;
    qint16 center = 0;
    qint16 hide = 0;
    qint16 slide = 0;
    qint16 blend = 0;
  };

  // The animation flags for these switches and direction (0 top to bottom, 1 bottom to
  // top, 2 left to right, 3 right to left); nothing for any other direction.
  static std::optional<quint32> flags(const Switches& switches, qint32 direction);

  // Animates `window` over `duration` milliseconds: shows it, or hides it with the hide
  // switch. Returns false when nothing happens: an unknown direction, no window, or a
  // window that already is in the wanted state. A duration of 0 shows or hides at once.
  static bool Play(QWidget* window, quint16 duration, qint16 activate, qint16 center, qint16 hide,
                   qint16 slide, qint16 blend, qint32 direction);

  // Runs the animation that `flags` describe; the part of Play after the flag mapping.
  static bool run(QWidget* window, quint16 duration, quint32 flags);
};

}  // namespace mailvane
