#include "plugins/fetchvane/FetchvaneFactory.h"

#include <QCoreApplication>

#include "plugins/fetchvane/DownloadCenter.h"
#include "plugins/fetchvane/Loader.h"

namespace mailvane::fetchvane {

FetchvaneFactory::~FetchvaneFactory() {
  // The center's code lives in this library: it must go before the library is unloaded.
  delete center_.data();
}

QStringList FetchvaneFactory::classNames() const { return {QString::fromLatin1(kLoaderClass)}; }

QObject* FetchvaneFactory::create(const QString& className) {
  if (className != QLatin1String(kLoaderClass)) return nullptr;
  return new Loader(center());
}

DownloadCenter* FetchvaneFactory::center() {
  // Owned by the application so that it ends with it, whichever of the two goes first.
  if (!center_) center_ = new DownloadCenter(QCoreApplication::instance());
  return center_;
}

}  // namespace mailvane::fetchvane
