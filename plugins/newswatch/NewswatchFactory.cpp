#include "plugins/newswatch/NewswatchFactory.h"

#include "plugins/newswatch/Newswatch.h"

namespace mailvane::newswatch {

namespace {
const QString kClassName = QStringLiteral("Newswatch.Newswatch");
}

QStringList NewswatchFactory::classNames() const { return {kClassName}; }

QObject* NewswatchFactory::create(const QString& className) {
  if (className != kClassName) return nullptr;
  return new Newswatch;
}

}  // namespace mailvane::newswatch
