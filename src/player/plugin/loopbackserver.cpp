#include "player/plugin/loopbackserver.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace {

// At most this is queued on the socket: a 14 MB .wasm never sits in memory whole.
constexpr qint64 kPieceBytes = 64 * 1024;
constexpr qint64 kQueuedBytes = 256 * 1024;

QByteArray RandomToken() {
  QByteArray bytes(16, Qt::Uninitialized);
  QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
  return bytes.toHex();
}

QByteArray MimeTypeOf(const QString& fileName) {
  if (fileName.endsWith(QLatin1String(".wasm")))
    return "application/wasm";
  return "text/javascript";
}

QByteArray ReasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 431:
      return "Request Header Fields Too Large";
    default:
      return "Bad Request";
  }
}

// Split at CRLF only, without the closing blank line.
QList<QByteArray> HeadLines(const QByteArray& head) {
  QList<QByteArray> lines;
  qsizetype from = 0;
  for (;;) {
    const qsizetype end = head.indexOf("\r\n", from);
    lines << head.mid(from, end < 0 ? -1 : end - from);
    if (end < 0)
      return lines;
    from = end + 2;
  }
}

}  // namespace

// Reads a bounded request head, then answers and closes, reading nothing more.
class LoopbackConnection final : public QObject {
 public:
  LoopbackConnection(LoopbackServer& server, QTcpSocket* socket)
      : QObject(&server), m_server(server), m_socket(socket) {
    m_socket->setParent(this);
    // Qt itself takes no more from the system than this while the head is awaited.
    m_socket->setReadBufferSize(server.m_limits.maxHeadBytes + 4);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &LoopbackConnection::Drop);
    connect(m_socket, &QTcpSocket::readyRead, this, &LoopbackConnection::Read);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &LoopbackConnection::Written);
    connect(m_socket, &QTcpSocket::disconnected, this, &LoopbackConnection::Drop);
  }

  void Start() {
    m_timer.start(m_server.m_limits.headTimeout);
    Read();  // the head may be waiting already
  }

  bool HasHead() const { return m_state != State::Head; }

  void Drop() {
    if (m_state == State::Done)
      return;
    m_state = State::Done;
    m_timer.stop();
    m_server.Forget(this);
    m_socket->abort();
    deleteLater();
  }

 private:
  enum class State { Head, Sending, Done };

  void Read() {
    if (m_state != State::Head)
      return;
    const int limit = m_server.m_limits.maxHeadBytes;
    m_head = m_socket->peek(limit + 4);
    const qsizetype end = m_head.indexOf("\r\n\r\n");
    if (end < 0 && m_head.size() < limit + 4)
      return;
    // One byte stays with Qt so that it stops reading: a client that half-closes
    // after its request is not taken for gone and still gets the whole answer.
    m_socket->read(m_head.size() - 1);
    m_socket->setReadBufferSize(1);
    if (end < 0 || end > limit) {
      LoopbackServer::Verdict tooLarge;
      tooLarge.status = 431;
      Respond(tooLarge);
      return;
    }
    m_head.truncate(end);
    Respond(m_server.Judge(m_head));
  }

  void Respond(LoopbackServer::Verdict verdict) {
    m_state = State::Sending;
    m_head.clear();
    m_timer.start(m_server.m_limits.sendTimeout);
    qint64 length = 0;
    if (verdict.status == 200 && !Open(verdict.entry.file, &length))
      verdict.status = 404;
    const bool found = verdict.status == 200;
    m_socket->write(
        m_server.ResponseHead(verdict.status, found ? &verdict.entry : nullptr, length));
    m_left = found && !verdict.head ? length : 0;
    Pump();
  }

  // A regular file within the bound, cut at its present size; opened non-blocking so
  // that a FIFO in a movie's place cannot hold the UI thread.
  bool Open(const QString& path, qint64* length) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
      return false;
    struct stat status{};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size > m_server.m_limits.maxFileBytes ||
        !m_file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
      ::close(fd);
      return false;
    }
    *length = status.st_size;
    return true;
  }

  void Written() {
    if (m_state != State::Sending)
      return;
    m_timer.start(m_server.m_limits.sendTimeout);
    Pump();
  }

  void Pump() {
    while (m_left > 0 && m_socket->bytesToWrite() < kQueuedBytes) {
      const QByteArray piece = m_file.read(std::min(m_left, kPieceBytes));
      if (piece.isEmpty()) {
        Drop();  // the file shrank: the answer can no longer be whole
        return;
      }
      m_socket->write(piece);
      m_left -= piece.size();
    }
    if (m_left == 0 && m_socket->state() == QAbstractSocket::ConnectedState) {
      m_file.close();
      // A client that stops taking the queue is dropped by the timer.
      m_socket->disconnectFromHost();
    }
  }

  LoopbackServer& m_server;
  QTcpSocket* m_socket;
  QTimer m_timer;
  State m_state = State::Head;
  QByteArray m_head;
  QFile m_file;
  qint64 m_left = 0;
};

LoopbackServer::LoopbackServer(const QString& ruffleFolder, const QByteArray& allowedOrigin,
                               QObject* parent, const LoopbackLimits& limits)
    : QObject(parent),
      m_ruffleFolder(ruffleFolder),
      m_allowedOrigin(allowedOrigin),
      m_limits(limits),
      m_token(RandomToken()) {}

LoopbackServer::~LoopbackServer() = default;

Outcome LoopbackServer::Start() {
  // Source maps and licences stay on disk.
  const QDir folder(m_ruffleFolder);
  const QStringList names =
      folder.entryList({QStringLiteral("*.js"), QStringLiteral("*.wasm")}, QDir::Files);
  if (!names.contains(QStringLiteral("ruffle.js")) ||
      names.filter(QStringLiteral(".wasm")).isEmpty()) {
    return Outcome::Failed(QStringLiteral("Ruffle's files are missing from ") + m_ruffleFolder);
  }

  m_tcp = new QTcpServer(this);
  if (!m_tcp->listen(QHostAddress::LocalHost, 0)) {
    return Outcome::Failed(QStringLiteral("Cannot listen on 127.0.0.1: ") + m_tcp->errorString());
  }
  connect(m_tcp, &QTcpServer::newConnection, this, &LoopbackServer::Accept);
  // Qt stops accepting when descriptors run out; try again later rather than never.
  connect(m_tcp, &QTcpServer::acceptError, this,
          [this] { QTimer::singleShot(1000, m_tcp, [this] { m_tcp->resumeAccepting(); }); });
  m_port = m_tcp->serverPort();
  m_host = "127.0.0.1:" + QByteArray::number(m_port);

  for (const QString& name : names) {
    const QByteArray path = '/' + m_token + "/ruffle/" + QUrl::toPercentEncoding(name);
    m_entries.insert(path, {folder.filePath(name), MimeTypeOf(name), false});
  }
  return Outcome::Ok();
}

QString LoopbackServer::BaseUrl() const {
  return QStringLiteral("http://127.0.0.1:%1/%2/").arg(m_port).arg(QString::fromLatin1(m_token));
}

QUrl LoopbackServer::ServeMovie(const QString& filePath) {
  m_entries.remove(m_moviePath);
  m_moviePath.clear();
  if (filePath.isEmpty())
    return {};
  // A fresh name per movie, so that a URL never stands for two files.
  ++m_movieGeneration;
  m_moviePath = '/' + m_token + "/movie/" + QByteArray::number(m_movieGeneration) + ".swf";
  m_entries.insert(m_moviePath, {filePath, "application/x-shockwave-flash", true});
  return QUrl(BaseUrl() + QStringLiteral("movie/%1.swf").arg(m_movieGeneration));
}

QUrl LoopbackServer::ServePage(const QString& filePath) {
  m_entries.insert('/' + m_token + '/', {filePath, "text/html; charset=utf-8", true});
  return QUrl(BaseUrl());
}

void LoopbackServer::Accept() {
  while (QTcpSocket* socket = m_tcp->nextPendingConnection()) {
    if (int(m_connections.size()) >= m_limits.maxConnections) {
      const auto waiting = std::find_if(m_connections.begin(), m_connections.end(),
                                        [](LoopbackConnection* c) { return !c->HasHead(); });
      if (waiting == m_connections.end()) {
        socket->abort();
        socket->deleteLater();
        continue;
      }
      (*waiting)->Drop();
    }
    auto* connection = new LoopbackConnection(*this, socket);
    m_connections.push_back(connection);
    connection->Start();
  }
}

void LoopbackServer::Forget(LoopbackConnection* connection) {
  m_connections.remove(connection);
}

// The path is compared percent-encoded, byte for byte, so that "%2e%2e", "%00" or
// a backslash can never turn into a match.
LoopbackServer::Verdict LoopbackServer::Judge(const QByteArray& requestHead) const {
  Verdict verdict;  // 400 until proven otherwise
  const QList<QByteArray> lines = HeadLines(requestHead);
  for (const QByteArray& line : lines) {
    if (line.contains('\r') || line.contains('\n') || line.contains('\0'))
      return verdict;
  }
  const QList<QByteArray> request = lines.constFirst().split(' ');
  if (request.size() != 3 || (request[2] != "HTTP/1.1" && request[2] != "HTTP/1.0"))
    return verdict;
  if (request[0] != "GET" && request[0] != "HEAD") {
    verdict.status = 405;
    return verdict;
  }
  verdict.head = request[0] == "HEAD";

  int hosts = 0;
  QByteArray host;
  bool body = false;
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const qsizetype colon = lines[i].indexOf(':');
    const QByteArray name = lines[i].left(colon).toLower();
    // No name, or white space in it (a folded line among them).
    if (colon <= 0 || name.contains(' ') || name.contains('\t'))
      return verdict;
    const QByteArray value = lines[i].mid(colon + 1).trimmed();
    if (name == "host") {
      ++hosts;
      host = value;
    } else if (name == "transfer-encoding" || (name == "content-length" && value != "0")) {
      body = true;
    }
  }
  // Another Host means a request not made for this server (a rebound DNS name).
  if (hosts != 1 || host != m_host || body)
    return verdict;
  const auto it = m_entries.constFind(request[1]);
  verdict.status = it == m_entries.constEnd() ? 404 : 200;
  if (verdict.status == 200)
    verdict.entry = *it;
  return verdict;
}

QByteArray LoopbackServer::ResponseHead(int status, const Entry* entry, qint64 length) const {
  QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + ReasonPhrase(status) + "\r\n";
  if (entry) {
    head += "Content-Type: " + entry->mimeType +
            "\r\nCache-Control: " + (entry->noStore ? "no-store" : "no-cache") + "\r\n";
    if (!m_allowedOrigin.isEmpty())
      head += "Access-Control-Allow-Origin: " + m_allowedOrigin + "\r\n";
  } else {
    head += "Content-Type: text/plain\r\n";
  }
  if (status == 405)
    head += "Allow: GET, HEAD\r\n";
  return head + "Content-Length: " + QByteArray::number(length) +
         "\r\nX-Content-Type-Options: nosniff\r\nConnection: close\r\n\r\n";
}
