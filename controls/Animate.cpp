#include "controls/Animate.h"

#include <QWidget>

#include "controls/WidgetReveal.h"

namespace mailvane {

std::optional<quint32> Animate::flags(const Switches& switches, qint32 direction) {
  static constexpr quint32 directionFlags[] = {AW_VER_POSITIVE, AW_VER_NEGATIVE, AW_HOR_POSITIVE,
                                               AW_HOR_NEGATIVE};
  if (direction < 0 || direction > 3) return std::nullopt;
  quint32 result = directionFlags[direction];
  if (switches.activate == 1) result |= AW_ACTIVATE;
  if (switches.center == 1) result |= AW_CENTER;
  if (switches.hide == 1) result |= AW_HIDE;
  if (switches.slide == 1) result |= AW_SLIDE;
  if (switches.blend == 1) result |= AW_BLEND;
  return result;
}

bool Animate::Play(QWidget* window, quint16 duration, qint16 activate, qint16 center, qint16 hide,
                   qint16 slide, qint16 blend, qint32 direction) {
  const auto animation = flags(Switches{activate, center, hide, slide, blend}, direction);
  if (!animation) return false;
  return run(window, duration, *animation);
}

bool Animate::run(QWidget* window, quint16 duration, quint32 flags) {
  if (!window) return false;
  if (auto* running =
          window->findChild<WidgetReveal*>(QStringLiteral("Animate"), Qt::FindDirectChildrenOnly))
    running->finishNow();
  const bool hiding = flags & AW_HIDE;
  // Like the system call it stands in for: showing a shown window is refused.
  if (hiding != window->isVisible()) return false;
  auto* reveal = new WidgetReveal(window, flags, duration);
  if (duration == 0) {
    reveal->finishNow();
  } else {
    reveal->start(QAbstractAnimation::DeleteWhenStopped);
  }
  return true;
}

}  // namespace mailvane
