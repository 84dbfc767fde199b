#include "plugins/fetchvane/FetchvaneFactory.h"

#include <QCoreApplication>

#include "plugins/fetchvane/DownloadCenter.h"
#include "plugins/fetchvane/Loader.h"

namespace mailvane::fetchvane {

QStringList FetchvaneFactory::classNames() const { return {QString::fromLatin1(kLoaderClass)}; }

QObject* FetchvaneFactory::create(const QString& className) {
  if (className != QLatin1String(kLoaderClass)) return nullptr;
  return new Loader(center());
}

DownloadCenter* FetchvaneFactory::center() {
  // Owned by the application, so it ends with it, while this library is still loaded:
  // the library itself is only unloaded at process exit, after the application object,
  // when deleting widgets is no longer safe. Downloads need an event loop, so without an
  // application there is no center and the loaders do nothing.
  if (!center_ && QCoreApplication::instance()) {
    center_ = new DownloadCenter(QCoreApplication::instance());
  }
  return center_;
}

}  // namespace mailvane::fetchvane
