#include "tests/support/TestHttpServer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTcpSocket>

namespace mailvane::testing {

namespace {
constexpr qint64 kChunk = 64 * 1024;
constexpr qint64 kSlowChunk = 4 * 1024;
constexpr qint64 kMaxPending = 256 * 1024;

QByteArray pattern(qint64 from, qint64 to) {
  QByteArray out(to - from, Qt::Uninitialized);
  for (qint64 i = from; i < to; ++i) out[i - from] = TestHttpServer::patternByte(i);
  return out;
}
}  // namespace

struct TestHttpServer::Exchange {
  QTcpSocket* socket = nullptr;
  QByteArray buffer;    // received bytes not yet taken as a request
  bool busy = false;    // a response is being sent
  bool slow = false;
  bool closeAfter = false;
  bool dropAtLimit = false;
  qint64 sent = 0;
  qint64 size = 0;
  qint64 limit = 0;  // bytes that may be sent for now
};

TestHttpServer::TestHttpServer() {
  connect(&server_, &QTcpServer::newConnection, this, &TestHttpServer::onNewConnection);
  server_.listen(QHostAddress::LocalHost, 0);
  slowTimer_.setInterval(5);
  connect(&slowTimer_, &QTimer::timeout, this, &TestHttpServer::onSlowTick);
  slowTimer_.start();
}

TestHttpServer::~TestHttpServer() {
  for (auto& exchange : exchanges_) {
    if (exchange->socket) exchange->socket->disconnect(this);
  }
}

QString TestHttpServer::url(const QString& path) const {
  return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
}

int TestHttpServer::totalRequests() const {
  int total = 0;
  for (int n : requests_) total += n;
  return total;
}

bool TestHttpServer::isHeld(const Exchange& e) {
  return e.socket && e.busy && !e.slow && !e.dropAtLimit && e.limit < e.size;
}

int TestHttpServer::heldCount() const {
  return static_cast<int>(std::count_if(exchanges_.begin(), exchanges_.end(), [](const auto& e) {
    return isHeld(*e) && e->sent == e->limit;
  }));
}

void TestHttpServer::releaseHeld() {
  for (auto& e : exchanges_) {
    if (!isHeld(*e)) continue;
    e->limit = e->size;
    pump(*e);
  }
}

void TestHttpServer::serve(const QString& name, const QByteArray& body, const QByteArray& type) {
  files_.insert(name, {body, type});
}

char TestHttpServer::patternByte(qint64 i) {
  return static_cast<char>((i * 131 + (i >> 12)) & 0xff);
}

void TestHttpServer::onNewConnection() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    exchanges_.push_back(std::make_unique<Exchange>());
    Exchange* exchange = exchanges_.back().get();
    exchange->socket = socket;
    connect(socket, &QTcpSocket::readyRead, this, [this, exchange] { onReadable(*exchange); });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, exchange] { pump(*exchange); });
    connect(socket, &QTcpSocket::disconnected, this, [this, exchange] { close(*exchange); });
  }
}

void TestHttpServer::onReadable(Exchange& exchange) {
  if (!exchange.socket) return;
  exchange.buffer += exchange.socket->readAll();
  // A TLS handshake: this server speaks plain HTTP only, so a secure link fails at once.
  if (exchange.buffer.startsWith('\x16')) {
    exchange.socket->abort();
    return;
  }
  takeRequest(exchange);
}

// Connections are kept alive between responses, as most servers do, so the client is
// never left sending a request into a connection that the server is closing.
void TestHttpServer::takeRequest(Exchange& exchange) {
  const qsizetype headEnd = exchange.buffer.indexOf("\r\n\r\n");
  if (exchange.busy || headEnd < 0) return;
  const QByteArray head = exchange.buffer.left(headEnd);
  exchange.buffer.remove(0, headEnd + 4);
  const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
  const QString path = requestLine.size() >= 2 ? QString::fromLatin1(requestLine[1]) : QString();
  requests_[path] += 1;
  exchange = Exchange{exchange.socket, exchange.buffer};
  exchange.busy = true;
  maxOpen_ = std::max(maxOpen_, ++open_);
  answer(exchange, path);
}

void TestHttpServer::answer(Exchange& exchange, const QString& path) {
  const QStringList parts = path.split(QLatin1Char('/'));
  const QString kind = parts.value(1);
  const qint64 number = parts.value(2).toLongLong();
  if (kind == QLatin1String("bytes")) {
    startBody(exchange, number, number, true);
  } else if (kind == QLatin1String("delay")) {
    const qint64 size = parts.value(3).toLongLong();
    Exchange* waiting = &exchange;
    QTimer::singleShot(static_cast<int>(number), this, [this, waiting, size] {
      if (waiting->socket && waiting->busy) startBody(*waiting, size, size, true);
    });
  } else if (kind == QLatin1String("file")) {
    sendFile(exchange, parts.value(2));
  } else if (kind == QLatin1String("silent")) {
    // Busy until the client gives up.
  } else if (kind == QLatin1String("badlength")) {
    exchange.socket->write("HTTP/1.1 200 OK\r\nContent-Length: twelve\r\n\r\n");
    exchange.closeAfter = true;
    endResponse(exchange);
  } else if (kind == QLatin1String("slow")) {
    exchange.slow = true;
    startBody(exchange, number, 0, true);
  } else if (kind == QLatin1String("nolength")) {
    exchange.closeAfter = true;
    startBody(exchange, number, number, false);
  } else if (kind == QLatin1String("hold")) {
    startBody(exchange, number, number / 2, true);
  } else if (kind == QLatin1String("drop")) {
    exchange.dropAtLimit = exchange.closeAfter = true;
    startBody(exchange, number, number / 2, true);
  } else if (kind == QLatin1String("flaky")) {
    if (requests_.value(path) == 1) {
      sendStatusPage(exchange, 503);
    } else {
      startBody(exchange, number, number, true);
    }
  } else if (kind == QLatin1String("status")) {
    sendStatusPage(exchange, static_cast<int>(number));
  } else if (kind == QLatin1String("redirect") || kind == QLatin1String("ftp-redirect")) {
    const QString rest = path.mid(kind.size() + 1);
    const QString location = kind == QLatin1String("redirect")
                                 ? rest
                                 : QStringLiteral("ftp://127.0.0.1") + rest;
    exchange.socket->write("HTTP/1.1 302 Found\r\nLocation: " + location.toLatin1() +
                           "\r\nContent-Length: 0\r\n\r\n");
    endResponse(exchange);
  } else {
    sendStatusPage(exchange, 404);
  }
}

void TestHttpServer::startBody(Exchange& exchange, qint64 size, qint64 limit, bool withLength) {
  exchange.size = size;
  exchange.limit = limit;
  QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n";
  if (withLength) head += "Content-Length: " + QByteArray::number(size) + "\r\n";
  if (exchange.closeAfter) head += "Connection: close\r\n";
  exchange.socket->write(head + "\r\n");
  pump(exchange);
}

void TestHttpServer::sendFile(Exchange& exchange, const QString& name) {
  const auto found = files_.constFind(name);
  if (found == files_.constEnd()) {
    sendStatusPage(exchange, 404);
    return;
  }
  exchange.socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + found->second +
                         "\r\nContent-Length: " + QByteArray::number(found->first.size()) +
                         "\r\n\r\n" + found->first);
  endResponse(exchange);
}

void TestHttpServer::sendStatusPage(Exchange& exchange, int status) {
  const QByteArray page = "<html><body>Error " + QByteArray::number(status) + "</body></html>";
  const QByteArray phrase = status == 404 ? "Not Found" : status == 503 ? "Service Unavailable" : "Error";
  exchange.socket->write("HTTP/1.1 " + QByteArray::number(status) + " " + phrase +
                         "\r\nContent-Type: text/html\r\nContent-Length: " +
                         QByteArray::number(page.size()) + "\r\n\r\n" + page);
  endResponse(exchange);
}

void TestHttpServer::pump(Exchange& exchange) {
  QTcpSocket* socket = exchange.socket;
  if (!socket || !exchange.busy) return;
  while (exchange.sent < exchange.limit && socket->bytesToWrite() < kMaxPending) {
    const qint64 end = std::min(exchange.limit, exchange.sent + kChunk);
    socket->write(pattern(exchange.sent, end));
    exchange.sent = end;
  }
  if (exchange.sent == exchange.size) {
    endResponse(exchange);
  } else if (exchange.sent == exchange.limit && exchange.dropAtLimit && socket->bytesToWrite() == 0) {
    endResponse(exchange);
  }
}

void TestHttpServer::endResponse(Exchange& exchange) {
  --open_;
  const bool closeAfter = exchange.closeAfter;
  exchange = Exchange{exchange.socket, exchange.buffer};
  if (closeAfter) {
    exchange.socket->disconnectFromHost();  // sends what is pending first
  } else {
    takeRequest(exchange);
  }
}

void TestHttpServer::onSlowTick() {
  for (auto& e : exchanges_) {
    if (!e->socket || !e->busy || !e->slow || e->limit >= e->size) continue;
    e->limit = std::min(e->size, e->limit + kSlowChunk);
    pump(*e);
  }
}

void TestHttpServer::close(Exchange& exchange) {
  if (exchange.busy) --open_;
  exchange.busy = false;
  exchange.socket->deleteLater();
  exchange.socket = nullptr;
}

bool fileHoldsPattern(const QString& path, qint64 size) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() != size) return false;
  qint64 offset = 0;
  while (!file.atEnd()) {
    const QByteArray data = file.read(1 << 20);
    for (qint64 i = 0; i < data.size(); ++i) {
      if (data[i] != TestHttpServer::patternByte(offset + i)) return false;
    }
    offset += data.size();
  }
  return offset == size;
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > timeoutMs) return false;
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

}  // namespace mailvane::testing
