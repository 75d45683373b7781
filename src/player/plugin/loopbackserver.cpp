#include "player/plugin/loopbackserver.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QRandomGenerator>
#include <QTcpServer>

namespace {

using Status = QHttpServerResponder::StatusCode;

QByteArray RandomToken() {
  // 16 bytes from the system's generator: 128 bits, as 32 hex digits.
  QByteArray bytes(16, Qt::Uninitialized);
  QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
  return bytes.toHex();
}

QByteArray MimeTypeOf(const QString& fileName) {
  if (fileName.endsWith(QLatin1String(".wasm")))
    return "application/wasm";
  return "text/javascript";
}

// The request's path still percent-encoded, so that "%2e%2e" or "%00" can
// never turn into something that matches.
QByteArray EncodedPath(const QHttpServerRequest& request) {
  const QUrl url = request.url();
  if (url.hasQuery() || url.hasFragment())
    return {};
  return url.path(QUrl::FullyEncoded).toUtf8();
}

void Refuse(QHttpServerResponder& responder, Status status) {
  responder.write(QByteArray(), QByteArrayLiteral("text/plain"), status);
}

}  // namespace

LoopbackServer::LoopbackServer(const QString& ruffleFolder, const QByteArray& allowedOrigin,
                               QObject* parent)
    : QAbstractHttpServer(parent),
      m_ruffleFolder(ruffleFolder),
      m_allowedOrigin(allowedOrigin),
      m_token(RandomToken()) {}

bool LoopbackServer::Start(QString* error) {
  // Only the script and WebAssembly files are served; source maps and
  // licences stay on disk.
  const QDir folder(m_ruffleFolder);
  const QStringList names =
      folder.entryList({QStringLiteral("*.js"), QStringLiteral("*.wasm")}, QDir::Files);
  if (!names.contains(QStringLiteral("ruffle.js")) ||
      names.filter(QStringLiteral(".wasm")).isEmpty()) {
    *error = QStringLiteral("Ruffle's files are missing from ") + m_ruffleFolder;
    return false;
  }

  auto* tcp = new QTcpServer(this);
  if (!tcp->listen(QHostAddress::LocalHost, 0)) {
    *error = QStringLiteral("Cannot listen on 127.0.0.1: ") + tcp->errorString();
    return false;
  }
  bind(tcp);
  m_port = tcp->serverPort();
  m_host = "127.0.0.1:" + QByteArray::number(m_port);

  for (const QString& name : names) {
    const QByteArray path = '/' + m_token + "/ruffle/" + QUrl::toPercentEncoding(name);
    m_entries.insert(path, {folder.filePath(name), MimeTypeOf(name), false});
  }
  return true;
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

bool LoopbackServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
  QHttpServerResponder responder = makeResponder(request, socket);
  const auto method = request.method();
  const bool head = method == QHttpServerRequest::Method::Head;
  if (method != QHttpServerRequest::Method::Get && !head) {
    Refuse(responder, Status::MethodNotAllowed);
    return true;
  }
  // Another Host header means the request was not made for this server: a
  // rebound DNS name, say. (Qt builds the request's URL from this header, even
  // for an absolute request target.)
  if (request.value("Host") != m_host) {
    Refuse(responder, Status::BadRequest);
    return true;
  }
  const auto it = m_entries.constFind(EncodedPath(request));
  if (it == m_entries.constEnd()) {
    Refuse(responder, Status::NotFound);
    return true;
  }
  QFile file(it->file);
  if (!file.open(QIODevice::ReadOnly)) {
    Refuse(responder, Status::NotFound);
    return true;
  }
  const QByteArray body = file.readAll();
  const QByteArray cache = it->noStore ? "no-store" : "no-cache";
  responder.writeStatusLine(Status::Ok);
  responder.writeHeaders({{"Content-Type", it->mimeType},
                          {"Content-Length", QByteArray::number(body.size())},
                          {"Cache-Control", cache},
                          {"Access-Control-Allow-Origin", m_allowedOrigin},
                          {"X-Content-Type-Options", "nosniff"}});
  responder.writeBody(head ? QByteArray() : body);
  return true;
}

void LoopbackServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
  QHttpServerResponder responder = makeResponder(request, socket);
  Refuse(responder, Status::NotFound);
}
