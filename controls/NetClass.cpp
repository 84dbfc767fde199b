#include "controls/NetClass.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QPluginLoader>

#include <array>

#include "controls/PluginInterface.h"

#ifndef MAILVANE_LIBDIR_FROM_BINDIR
#define MAILVANE_LIBDIR_FROM_BINDIR "../lib/mailvane"
#endif

namespace mailvane {

namespace {

// QMetaMethod::invoke takes at most ten arguments.
constexpr qsizetype kMaxArguments = 10;

// Converts the arguments to the method's parameter types; false when one does not fit.
bool convertArguments(const QMetaMethod& method, const QVariantList& args,
                      QVariantList& converted) {
  converted.clear();
  for (int i = 0; i < method.parameterCount(); ++i) {
    const QMetaType type = method.parameterMetaType(i);
    if (type.id() == QMetaType::QVariant) {
      converted.append(args[i]);
      continue;
    }
    QVariant value = args[i];
    if (value.metaType() != type && !value.convert(type)) return false;
    converted.append(value);
  }
  return true;
}

// The data pointer QMetaMethod::invoke wants for one converted argument: a QVariant
// parameter is passed as the QVariant itself, anything else as the value it holds.
const void* argumentData(const QMetaMethod& method, int i, const QVariant& value) {
  if (method.parameterMetaType(i).id() == QMetaType::QVariant) {
    return &value;
  }
  return value.constData();
}

// Among the public methods of that name and arity whose parameters the arguments fit,
// the one whose parameter types match the most arguments exactly, so that Twice(21)
// picks Twice(int) over Twice(QString).
QMetaMethod bestMethod(const QMetaObject& meta, const char* member, const QVariantList& args) {
  const QByteArray name(member);
  QMetaMethod best;
  int bestExact = -1;
  for (int m = 0; m < meta.methodCount(); ++m) {
    const QMetaMethod method = meta.method(m);
    if (method.name() != name || method.parameterCount() != args.size() ||
        method.access() != QMetaMethod::Public) {
      continue;
    }
    QVariantList converted;
    if (!convertArguments(method, args, converted)) continue;
    int exact = 0;
    for (int i = 0; i < args.size(); ++i) {
      const QMetaType type = method.parameterMetaType(i);
      if (type == args[i].metaType() || type.id() == QMetaType::QVariant) ++exact;
    }
    if (exact > bestExact) {
      best = method;
      bestExact = exact;
    }
  }
  return best;
}

}  // namespace

NetClass::NetClass(QObject* parent) : QObject(parent) {}

NetClass::NetClass(const char* name, const QString& className, const QString& libraryFile,
                   const QString& location, QObject* parent)
    : QObject(parent), className_(className), libraryFile_(libraryFile), location_(location) {
  setObjectName(QLatin1String(name));
}

NetClass::~NetClass() {
  delete cas_.data();
}

QString NetClass::programFolder() const {
  return programFolder_.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder_;
}

QString NetClass::platformLibraryName(const QString& libraryFile) {
  if (!libraryFile.endsWith(QLatin1String(".dll"), Qt::CaseInsensitive)) return libraryFile;
  const QString base = libraryFile.left(libraryFile.size() - 4);
  return QStringLiteral("lib") + base + QStringLiteral(".so");
}

QString NetClass::libraryPathIn(const QString& folder) const {
  // Stored locations may use the Windows separator.
  QString location = location_;
  location.replace(QLatin1Char('\\'), QLatin1Char('/'));
  QString path = folder;
  if (!location.isEmpty()) path += QLatin1Char('/') + location;
  return QDir::cleanPath(path + QLatin1Char('/') + platformLibraryName(libraryFile_));
}

QString NetClass::libraryPath() const {
  const QString beside = libraryPathIn(programFolder());
  if (!programFolder_.isEmpty() || QFileInfo(beside).isFile()) return beside;
  // Where neither exists, errors name the installed place: that is where users look.
  return libraryPathIn(programFolder() + QStringLiteral("/" MAILVANE_LIBDIR_FROM_BINDIR));
}

bool NetClass::Run() {
  lastError_.clear();
  if (className_.isEmpty() || libraryFile_.isEmpty()) return false;
  const QString path = libraryPath();
  const auto fail = [&](const QString& why) {
    lastError_ = QStringLiteral("cannot make \"%1\" from %2: %3").arg(className_, path, why);
    return false;
  };
  if (!QFileInfo(path).isFile()) return fail(QStringLiteral("no such library"));
  QPluginLoader loader(path);
  // The loader does not check the interface id itself; metaData() reads it without
  // running any of the library's code.
  const QString iid = loader.metaData().value(QLatin1String("IID")).toString();
  if (iid != QLatin1String(MailvanePluginFactory_iid)) {
    return fail(iid.isEmpty() ? QStringLiteral("not a plug-in library")
                              : QStringLiteral("wrong plug-in interface ") + iid);
  }
  auto* factory = qobject_cast<PluginFactory*>(loader.instance());
  if (factory == nullptr) return fail(loader.errorString());
  QObject* made = factory->create(className_);
  if (made == nullptr) return fail(QStringLiteral("the library has no such class"));
  // The library stays loaded: every object it made, and its shared root, live in it.
  // A factory that hands out the same object twice must not see it deleted under it.
  if (made != cas_) delete cas_.data();
  cas_ = made;
  return true;
}

void NetClass::stopp() {
  delete cas_.data();
  cas_ = nullptr;
}

bool NetClass::call(const char* member, const QVariantList& args, QVariant* result) {
  const auto fail = [&](const QString& why) {
    lastError_ =
        QStringLiteral("cannot call %1 on \"%2\": %3").arg(QLatin1String(member), className_, why);
    return false;
  };
  if (cas_ == nullptr) return fail(QStringLiteral("no plug-in object"));
  if (args.size() > kMaxArguments) return fail(QStringLiteral("too many arguments"));
  const QMetaMethod method = bestMethod(*cas_->metaObject(), member, args);
  QVariantList converted;
  if (!method.isValid() || !convertArguments(method, args, converted)) {
    return fail(
        QStringLiteral("no public member of that name takes %1 such argument(s)").arg(args.size()));
  }
  std::array<QGenericArgument, kMaxArguments> generic{};
  for (int i = 0; i < converted.size(); ++i) {
    generic[i] =
        QGenericArgument(method.parameterMetaType(i).name(), argumentData(method, i, converted[i]));
  }
  QVariant returned;
  QGenericReturnArgument ret;
  const QMetaType returnType = method.returnMetaType();
  if (returnType.id() == QMetaType::QVariant) {
    ret = QGenericReturnArgument("QVariant", &returned);
  } else if (returnType.isValid() && returnType.id() != QMetaType::Void) {
    returned = QVariant(returnType);
    ret = QGenericReturnArgument(returnType.name(), returned.data());
  }
  const bool ok =
      method.invoke(cas_, Qt::DirectConnection, ret, generic[0], generic[1], generic[2], generic[3],
                    generic[4], generic[5], generic[6], generic[7], generic[8], generic[9]);
  if (!ok) return fail(QStringLiteral("the call was refused"));
  if (result != nullptr) *result = returned;
  lastError_.clear();
  return true;
}

bool NetClass::setMember(const char* property, const QVariant& value) {
  const auto fail = [&](const QString& why) {
    lastError_ =
        QStringLiteral("cannot set %1 on \"%2\": %3").arg(QLatin1String(property), className_, why);
    return false;
  };
  if (cas_ == nullptr) return fail(QStringLiteral("no plug-in object"));
  const int index = cas_->metaObject()->indexOfProperty(property);
  if (index < 0) return fail(QStringLiteral("no such property"));
  const QMetaProperty meta = cas_->metaObject()->property(index);
  if (!meta.isWritable()) return fail(QStringLiteral("the property is read-only"));
  if (!meta.write(cas_, value)) return fail(QStringLiteral("the value does not fit"));
  lastError_.clear();
  return true;
}

QVariant NetClass::member(const char* property) const {
  if (cas_ == nullptr) return {};
  const int index = cas_->metaObject()->indexOfProperty(property);
  if (index < 0) return {};
  return cas_->metaObject()->property(index).read(cas_);
}

}  // namespace mailvane
