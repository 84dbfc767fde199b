#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for the tests that fetch from the web. Paths
// choose the answer:
//   /bytes/N/...     200 with N bytes of a known pattern
//   /delay/MS/N/...  the same after MS milliseconds
//   /file/NAME       200 with the bytes given to serve() for NAME
//   /silent/...      never answers
//   /badlength/...   200 whose Content-Length is not a number
//   /slow/N/...      the same, sent in small pieces with pauses
//   /nolength/N/...  the same without Content-Length, ended by closing the connection
//   /hold/N/...      sends half, then waits for releaseHeld()
//   /drop/N/...      announces N bytes, sends half and closes the connection
//   /flaky/N/...     503 on the first request for that path, later as /bytes
//   /status/C/...    status C with a small HTML page
//   /redirect/...    302 to the rest of the path ("/redirect/bytes/5/a" -> "/bytes/5/a")
//   /ftp-redirect/.. 302 to an ftp link
// A TLS handshake is refused by closing the connection. Connections stay open between
// responses except where a path says otherwise. It counts
// requests per path and how many were being answered at once.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class QTcpSocket;

namespace mailvane::testing {

class TestHttpServer : public QObject {
  Q_OBJECT

 public:
  TestHttpServer();
  ~TestHttpServer() override;

  QString url(const QString& path) const;
  int requestCount(const QString& path) const { return requests_.value(path); }
  int totalRequests() const;
  int openRequests() const { return open_; }
  int maxOpenRequests() const { return maxOpen_; }
  int heldCount() const;
  void releaseHeld();
  // What /file/name answers with.
  void serve(const QString& name, const QByteArray& body,
             const QByteArray& type = "application/octet-stream");

  // The byte at offset i of every body; files are checked against it.
  static char patternByte(qint64 i);

 private:
  struct Exchange;

  void onNewConnection();
  static bool isHeld(const Exchange& exchange);
  void onReadable(Exchange& exchange);
  void takeRequest(Exchange& exchange);
  void endResponse(Exchange& exchange);
  void answer(Exchange& exchange, const QString& path);
  void startBody(Exchange& exchange, qint64 size, qint64 limit, bool withLength);
  void sendFile(Exchange& exchange, const QString& name);
  void sendStatusPage(Exchange& exchange, int status);
  void pump(Exchange& exchange);
  void onSlowTick();
  void close(Exchange& exchange);

  QTcpServer server_;
  QTimer slowTimer_;
  std::vector<std::unique_ptr<Exchange>> exchanges_;
  QHash<QString, int> requests_;
  QHash<QString, std::pair<QByteArray, QByteArray>> files_;  // name -> body, type
  int open_ = 0;
  int maxOpen_ = 0;
};

// The file holds exactly `size` pattern bytes.
bool fileHoldsPattern(const QString& path, qint64 size);

// Runs the event loop until the condition holds or the time-out passes; returns the
// condition. The time-out is generous: it only stops a broken test from hanging.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 120000);

}  // namespace mailvane::testing
