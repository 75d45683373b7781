#include "httpclient.h"

namespace {

// Splits a received answer; returns false while it is incomplete.
bool Parse(const QByteArray& raw, bool head, HttpReply* reply) {
  const qsizetype end = raw.indexOf("\r\n\r\n");
  if (end < 0)
    return false;
  const QList<QByteArray> lines = raw.left(end).split('\n');
  const QList<QByteArray> statusLine = lines.value(0).trimmed().split(' ');
  reply->status = statusLine.value(1).toInt();
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const qsizetype colon = lines[i].indexOf(':');
    if (colon > 0)
      reply->headers.insert(lines[i].left(colon).trimmed().toLower(),
                            lines[i].mid(colon + 1).trimmed());
  }
  const qsizetype length = head ? 0 : reply->headers.value("content-length", "0").toLongLong();
  if (raw.size() - (end + 4) < length)
    return false;
  reply->body = raw.mid(end + 4, length);
  reply->raw = raw;
  return true;
}

}  // namespace

RawHttpRequest::RawHttpRequest(quint16 port, const QByteArray& request, bool head,
                               const QHostAddress& address)
    : m_socket(std::make_unique<QTcpSocket>()), m_head(head) {
  QObject::connect(m_socket.get(), &QTcpSocket::readyRead, m_socket.get(),
                   [this] { m_received += m_socket->readAll(); });
  QObject::connect(m_socket.get(), &QTcpSocket::connected, m_socket.get(),
                   [this, request] { m_socket->write(request); });
  m_socket->connectToHost(address, port);
}

bool RawHttpRequest::Complete() const {
  HttpReply reply;
  return Parse(m_received, m_head, &reply);
}

HttpReply RawHttpRequest::Reply() const {
  HttpReply reply;
  if (!Parse(m_received, m_head, &reply)) {
    reply = HttpReply();
    reply.raw = m_received;
  }
  return reply;
}

HttpReply Fetch(quint16 port, const QByteArray& request, bool head) {
  RawHttpRequest r(port, request, head);
  WaitUntil(
      [&] { return r.Complete() || r.Socket().state() == QAbstractSocket::UnconnectedState; });
  return r.Reply();
}

QByteArray Get(quint16 port, const QByteArray& target, const QByteArray& method) {
  return method + ' ' + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
         "\r\n\r\n";
}
