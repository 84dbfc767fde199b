// The plug-in as the listener windows use it: loaded from the plug-in folder, made by its
// factory, driven only through property and member names.

#include <QCoreApplication>
#include <QDir>
#include <QPluginLoader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

#include "controls/PluginInterface.h"
#include "tests/plugins/TestApp.h"
#include "tests/plugins/newswatch/PluginTestSupport.h"

namespace mailvane::newswatch {
namespace {

using test::FileSink;
using test::waitUntil;

class NewswatchPluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::ensureApplication();
    ASSERT_TRUE(dir_.isValid());
    root_ = dir_.path() + "/store";
    ASSERT_TRUE(QDir().mkpath(root_));
    watch_.reset(test::createWatch());
    ASSERT_NE(watch_, nullptr);
  }

  // The order in which the windows start a watch.
  void startLikeTheWindows(QObject* receiver, const QString& path, const QString& filter = "*.*") {
    set("Run", false);
    add(receiver);
    set("Path", path);
    set("Filter", filter);
    set("IncludeSubdir", true);
    set("Run", true);
    ASSERT_TRUE(running()) << lastError().toStdString();
  }

  void add(QObject* receiver) { call("AddFilecreated", receiver); }
  void call(const char* method, QObject* receiver) {
    ASSERT_TRUE(QMetaObject::invokeMethod(watch_.get(), method, Q_ARG(QObject*, receiver)));
  }
  bool running() const { return watch_->property("Run").toBool(); }
  QString lastError() const { return watch_->property("LastError").toString(); }

  void set(const char* name, const QVariant& value) {
    // setProperty with an unknown name silently makes a dynamic property: check first.
    ASSERT_GE(watch_->metaObject()->indexOfProperty(name), 0) << name;
    ASSERT_TRUE(watch_->setProperty(name, value)) << name;
  }

  QString file(const QString& relative) { return test::writeFile(root_ + "/" + relative); }

  QTemporaryDir dir_;
  QString root_;
  std::unique_ptr<QObject> watch_;
};

TEST_F(NewswatchPluginTest, LoadsThroughItsFactoryOnly) {
  QPluginLoader loader(test::pluginPath());
  EXPECT_EQ(loader.metaData().value("IID").toString(), QStringLiteral(MailvanePluginFactory_iid));
  auto* factory = qobject_cast<PluginFactory*>(loader.instance());
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(factory->classNames(), QStringList{"Newswatch.Newswatch"});
  EXPECT_EQ(factory->create("Newswatch.Other"), nullptr);
  const QMetaObject* meta = watch_->metaObject();
  for (const char* method : {"AddFilecreated(QObject*)", "RemoveFilecreated(QObject*)"}) {
    EXPECT_GE(meta->indexOfMethod(method), 0) << method;
  }
}

TEST_F(NewswatchPluginTest, ReportsFilesInTheFolderAndNewSubFoldersThatTheFilterSelects) {
  FileSink sink;
  startLikeTheWindows(&sink, root_);
  const QString top = file("top.eml");
  ASSERT_TRUE(QDir().mkpath(root_ + "/Inbox/2024"));
  const QString nested = file("Inbox/2024/nested.nws");
  ASSERT_TRUE(waitUntil([&] { return sink.count() >= 2; }));
  EXPECT_EQ(sink.paths(), (QStringList{top, nested}));
  EXPECT_EQ(sink.names(), (QStringList{"top.eml", "nested.nws"}));
  EXPECT_EQ(sink.threads(), QList<QThread*>({QThread::currentThread(), QThread::currentThread()}));

  // A new filter applies at once, without restarting the watch.
  set("Filter", "*.eml");
  file("skip.txt");
  const QString upper = file("UPPER.EML");
  file("skip.eml.tmp");
  const QString mark = file("mark.eml");
  ASSERT_TRUE(sink.waitFor(mark));
  set("Filter", "?.nws");
  const QString one = file("a.nws");
  file("ab.nws");
  const QString mark2 = file("b.nws");
  ASSERT_TRUE(sink.waitFor(mark2));
  EXPECT_EQ(sink.paths(), (QStringList{top, nested, upper, mark, one, mark2}));
}

TEST_F(NewswatchPluginTest, TwoThousandFilesAreReportedOnceEachInOrder) {
  // The folders exist before the watch: files that beat a brand-new folder's watch can
  // only be ordered by their coarse time stamps; the core tests cover that case.
  ASSERT_TRUE(QDir().mkpath(root_ + "/a"));
  FileSink sink;
  startLikeTheWindows(&sink, root_);
  QStringList made;
  for (int i = 0; i < 2000; ++i) {
    // Spread over two folders, as a client filing messages into several boxes does.
    const QString relative = QString("%1/%2.eml").arg(i % 2 ? "a" : ".").arg(i, 4, 10, QChar('0'));
    made << QDir::cleanPath(file(relative));
  }
  const QString mark = file("mark.eml");
  ASSERT_TRUE(sink.waitFor(mark));
  QStringList seen = sink.paths();
  seen.removeLast();
  for (QString& path : seen) path = QDir::cleanPath(path);
  EXPECT_EQ(seen.size(), made.size());
  EXPECT_EQ(seen, made);
}

TEST_F(NewswatchPluginTest, StopReleasesTheDescriptorRestartAndANewPathWatchAgain) {
  const int before = test::openInotifyDescriptors();
  FileSink sink;
  startLikeTheWindows(&sink, root_);
  EXPECT_EQ(test::openInotifyDescriptors(), before + 1);
  set("Run", false);
  EXPECT_FALSE(running());
  EXPECT_EQ(test::openInotifyDescriptors(), before);

  file("while-stopped.eml");
  set("Run", true);
  const QString after = file("after.eml");
  ASSERT_TRUE(sink.waitFor(after));

  // A new path while running moves the watch.
  const QString other = dir_.path() + "/other";
  ASSERT_TRUE(QDir().mkpath(other));
  set("Path", other);
  EXPECT_TRUE(running());
  EXPECT_EQ(test::openInotifyDescriptors(), before + 1);
  file("old-folder.eml");
  const QString moved = test::writeFile(other + "/new-folder.eml");
  ASSERT_TRUE(sink.waitFor(moved));
  EXPECT_EQ(sink.paths(), (QStringList{after, moved}));
}

TEST_F(NewswatchPluginTest, AMissingOrVanishedFolderIsAnErrorNotACrash) {
  FileSink sink;
  QObject::connect(watch_.get(), SIGNAL(errorOccurred(QString)), &sink, SLOT(recordError(QString)));
  add(&sink);
  set("Path", root_ + "/does-not-exist");
  set("Run", true);
  EXPECT_FALSE(running());
  const QString error = lastError();
  EXPECT_TRUE(error.contains("does-not-exist")) << error.toStdString();
  EXPECT_EQ(sink.errors(), QStringList{error});

  // Pointed at a real folder it works, and the error is cleared.
  set("Path", root_);
  set("Run", true);
  EXPECT_TRUE(running());
  EXPECT_TRUE(lastError().isEmpty());

  // A watched folder that goes away ends the watch with an error naming it.
  const QString store = root_ + "/Mail";
  ASSERT_TRUE(QDir().mkpath(store));
  startLikeTheWindows(&sink, store);
  ASSERT_TRUE(QDir(store).removeRecursively());
  ASSERT_TRUE(waitUntil([&] { return !running(); }));
  EXPECT_EQ(sink.errors().size(), 2);
  EXPECT_TRUE(lastError().contains(store));
}

TEST_F(NewswatchPluginTest, RemovedOrDestroyedReceiversGetNoMoreCalls) {
  FileSink kept;
  FileSink removed;
  auto destroyed = std::make_unique<FileSink>();
  startLikeTheWindows(&kept, root_);
  add(&removed);
  add(destroyed.get());
  add(&kept);  // twice
  const QString first = file("first.eml");
  ASSERT_TRUE(kept.waitFor(first));
  ASSERT_TRUE(removed.waitFor(first));
  EXPECT_EQ(kept.count(), 1);

  call("RemoveFilecreated", &removed);
  destroyed.reset();
  const QString second = file("second.eml");
  ASSERT_TRUE(kept.waitFor(second));
  EXPECT_EQ(removed.paths(), QStringList{first});
}

TEST_F(NewswatchPluginTest, CallsArriveOnTheReceiversThread) {
  QThread worker;
  worker.start();
  auto* sink = new FileSink;
  sink->moveToThread(&worker);
  startLikeTheWindows(sink, root_);
  const QString created = file("threaded.eml");
  ASSERT_TRUE(sink->waitFor(created));
  EXPECT_EQ(sink->threads(), QList<QThread*>{&worker});
  call("RemoveFilecreated", sink);
  sink->deleteLater();
  worker.quit();
  worker.wait();
}

TEST_F(NewswatchPluginTest, AReceiverMayStopTheWatchFromItsCall) {
  FileSink sink;
  sink.onFile = [&](const QString&) { watch_->setProperty("Run", false); };
  startLikeTheWindows(&sink, root_);
  // Both files may come in one batch: the stop must cut the batch short.
  file("1.eml");
  file("2.eml");
  ASSERT_TRUE(waitUntil([&] { return sink.count() >= 1; }));
  EXPECT_FALSE(running());
  QCoreApplication::processEvents();
  EXPECT_EQ(sink.count(), 1);
}

}  // namespace
}  // namespace mailvane::newswatch
