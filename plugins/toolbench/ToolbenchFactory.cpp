#include "plugins/toolbench/ToolbenchFactory.h"

#include "plugins/toolbench/ToolbenchDbx.h"

namespace mailvane::toolbench {

QStringList ToolbenchFactory::classNames() const {
  return {QStringLiteral("Toolbench.DBX")};
}

QObject* ToolbenchFactory::create(const QString& className) {
  if (className == QLatin1String("Toolbench.DBX")) return new ToolbenchDbx;
  return nullptr;
}

}  // namespace mailvane::toolbench
