#pragma once
// Hosts one run-time plug-in: loads <program folder>/<location>/<library> with
// QPluginLoader, asks the library's factory for a new object of the configured class and
// keeps it as `cas`. Callers reach the object's members by name through call() and
// setMember(), so the program needs no knowledge of the plug-in's types. An installed
// program keeps its plug-ins in its private library folder (<prefix>/lib/mailvane or
// <prefix>/lib/<multiarch>/mailvane for <prefix>/bin/mailvane) rather than beside
// itself; the host looks there too.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace mailvane {

class NetClass : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString SetClass READ SetClass WRITE setSetClass)
  Q_PROPERTY(QString SetAssamblyfile READ SetAssamblyfile WRITE setSetAssamblyfile)
  Q_PROPERTY(QString Setlocation READ Setlocation WRITE setSetlocation)

 public:
  explicit NetClass(QObject* parent = nullptr);
  // A host already set up for one plug-in class, named `name` among its parent's children.
  NetClass(const char* name, const QString& className, const QString& libraryFile,
           const QString& location, QObject* parent);
  ~NetClass() override;

  // Full class name of the plug-in object, e.g. "Fetchvane.Loader".
  QString SetClass() const { return className_; }
  void setSetClass(const QString& value) { className_ = value; }
  // Library file as the windows name it, e.g. "Fetchvane.dll"; mapped to "libFetchvane.so".
  QString SetAssamblyfile() const { return libraryFile_; }
  void setSetAssamblyfile(const QString& value) { libraryFile_ = value; }
  // Sub-folder of the program folder that holds the library, e.g. "plugin"; may be empty.
  QString Setlocation() const { return location_; }
  void setSetlocation(const QString& value) { location_ = value; }

  // The folder the library path starts from; QCoreApplication::applicationDirPath() unless
  // set (tests point it at the build's bin folder).
  QString programFolder() const;
  void setProgramFolder(const QString& folder) { programFolder_ = folder; }

  // The path Run() loads: program folder / location / platform library name. With the
  // default program folder, when no such file is there, the same below the installed
  // private library folder.
  QString libraryPath() const;

  // Makes a new plug-in object and makes it `cas`, deleting the previous one. With an
  // empty class or library name it does nothing and returns false with no error. On
  // failure (missing library, wrong interface, unknown class) `cas` keeps its value,
  // lastError() names the path and the class, and the result is false.
  bool Run();
  // Deletes the plug-in object; cas() becomes null.
  void stopp();
  // The object made by the last successful Run(), or null.
  QObject* cas() const { return cas_; }
  QString lastError() const { return lastError_; }

  // Calls a Q_INVOKABLE method or slot of cas() by name with up to ten arguments. The
  // result, when wanted, is stored in *result. False (with lastError()) when there is no
  // object or no member of that name takes these arguments.
  bool call(const char* member, const QVariantList& args = {}, QVariant* result = nullptr);
  // Sets a declared property of cas(). Refuses names the object does not declare, since
  // QObject::setProperty would silently create a dynamic property instead.
  bool setMember(const char* property, const QVariant& value);
  // Reads a declared property of cas(); an invalid QVariant when it does not exist.
  QVariant member(const char* property) const;

  // "Fetchvane.dll" -> "libFetchvane.so"; other names are returned unchanged.
  static QString platformLibraryName(const QString& libraryFile);

 private:
  QString libraryPathIn(const QString& folder) const;

  QString className_;
  QString libraryFile_;
  QString location_;
  QString programFolder_;
  QString lastError_;
  QPointer<QObject> cas_;
};

}  // namespace mailvane
