#pragma once

// A raw HTTP/1.1 client for tests of a server that runs on the test's own
// thread: it waits by running the event loop, never by blocking.

#include <QByteArray>
#include <QHostAddress>
#include <QMap>
#include <QTcpSocket>
#include <memory>

struct HttpReply {
  int status = 0;                        // 0: no complete answer
  QMap<QByteArray, QByteArray> headers;  // names in lower case
  QByteArray body;
  QByteArray raw;  // every byte received
};

class RawHttpRequest {
 public:
  // Connects and sends request as given, byte for byte.
  RawHttpRequest(quint16 port, const QByteArray& request, bool head = false,
                 const QHostAddress& address = QHostAddress::LocalHost);
  // True once a whole answer (headers and Content-Length bytes) arrived.
  bool Complete() const;
  HttpReply Reply() const;
  QTcpSocket& Socket() { return *m_socket; }

 private:
  std::unique_ptr<QTcpSocket> m_socket;
  QByteArray m_received;
  bool m_head;
};

// Runs the event loop until the condition holds or the time is up.
template <typename Condition>
bool WaitUntil(Condition condition, int timeoutMs = 5000);

// Sends one request and waits for its answer.
HttpReply Fetch(quint16 port, const QByteArray& request, bool head = false);

// "GET <target> HTTP/1.1" with a Host header of 127.0.0.1:port.
QByteArray Get(quint16 port, const QByteArray& target, const QByteArray& method = "GET");

#include <QCoreApplication>
#include <QElapsedTimer>

template <typename Condition>
bool WaitUntil(Condition condition, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > timeoutMs)
      return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}
