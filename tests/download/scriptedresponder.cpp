#include "scriptedresponder.h"

#include <QHostAddress>
#include <QMutexLocker>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

// Lives on the responder's thread and owns every socket there.
class ResponderWorker final : public QObject {
 public:
  explicit ResponderWorker(ScriptedResponder& owner) : m_owner(owner) {}

  quint16 Listen() {
    m_server = new QTcpServer(this);
    m_server->listen(QHostAddress::LocalHost, 0);
    connect(m_server, &QTcpServer::newConnection, this, &ResponderWorker::Accept);
    return m_server->serverPort();
  }

 private:
  void Accept() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
      auto request = std::make_shared<QByteArray>();
      connect(socket, &QTcpSocket::readyRead, this, [this, socket, request] {
        if (request->contains("\r\n\r\n")) {
          socket->readAll();  // answered already; ignore what follows
          return;
        }
        request->append(socket->readAll());
        if (request->contains("\r\n\r\n")) {
          Send(socket, m_owner.Lookup(*request));
        }
      });
    }
  }

  void Send(QTcpSocket* socket, const ScriptedAnswer& answer) {
    if (answer.trickleBytes > 0) {
      Trickle(socket, answer);
      return;
    }
    socket->write(answer.head);
    auto left = std::make_shared<qint64>(answer.repeatCount);
    const auto pump = [socket, answer, left] {
      // Keep a few blocks queued so that the writes keep pace with the client.
      while (*left > 0 && socket->bytesToWrite() < 4 * answer.repeat.size() + 65536) {
        socket->write(answer.repeat);
        --*left;
      }
      if (*left == 0) {
        socket->write(answer.tail);
        *left = -1;
        if (answer.ending == ScriptedAnswer::Ending::Close) {
          socket->disconnectFromHost();
        }
      }
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, pump);
    pump();
  }

  static void Trickle(QTcpSocket* socket, const ScriptedAnswer& answer) {
    auto left = std::make_shared<QByteArray>(
        answer.head + answer.repeat.repeated(answer.repeatCount) + answer.tail);
    auto* timer = new QTimer(socket);
    connect(timer, &QTimer::timeout, socket, [socket, answer, left, timer] {
      socket->write(left->left(answer.trickleBytes));
      left->remove(0, answer.trickleBytes);
      if (left->isEmpty()) {
        timer->stop();
        if (answer.ending == ScriptedAnswer::Ending::Close) {
          socket->disconnectFromHost();
        }
      }
    });
    timer->start(answer.trickleIntervalMs);
  }

  ScriptedResponder& m_owner;
  QTcpServer* m_server = nullptr;
};

QByteArray HttpHead(int status, const QByteArray& reason, const QList<QByteArray>& headers) {
  QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
  for (const QByteArray& header : headers) {
    head += header + "\r\n";
  }
  return head + "\r\n";
}

ScriptedAnswer WithLength(int status, const QByteArray& body, const QByteArray& type) {
  ScriptedAnswer answer;
  answer.head =
      HttpHead(status, status == 200 ? "OK" : "Status",
               {"Content-Type: " + type, "Content-Length: " + QByteArray::number(body.size()),
                "Connection: close"}) +
      body;
  return answer;
}

ScriptedAnswer CloseDelimited(const QByteArray& body) {
  ScriptedAnswer answer;
  answer.head =
      HttpHead(200, "OK", {"Content-Type: application/x-shockwave-flash", "Connection: close"}) +
      body;
  return answer;
}

ScriptedResponder::ScriptedResponder() : m_thread(std::make_unique<QThread>()) {
  m_worker = new ResponderWorker(*this);
  m_worker->moveToThread(m_thread.get());
  QObject::connect(m_thread.get(), &QThread::finished, m_worker, &QObject::deleteLater);
  m_thread->start();
  QMetaObject::invokeMethod(
      m_worker, [this] { m_port = m_worker->Listen(); }, Qt::BlockingQueuedConnection);
}

ScriptedResponder::~ScriptedResponder() {
  m_thread->quit();
  m_thread->wait();
}

void ScriptedResponder::Answer(const QString& path, const ScriptedAnswer& answer) {
  const QMutexLocker lock(&m_mutex);
  m_answers.insert(path, answer);
}

QString ScriptedResponder::Base() const {
  return QStringLiteral("http://127.0.0.1:") + QString::number(m_port);
}

QList<QByteArray> ScriptedResponder::Requests() const {
  const QMutexLocker lock(&m_mutex);
  return m_requests;
}

ScriptedAnswer ScriptedResponder::Lookup(const QByteArray& requestHead) {
  const QMutexLocker lock(&m_mutex);
  m_requests << requestHead.left(requestHead.indexOf("\r\n\r\n") + 4);
  const QList<QByteArray> requestLine = requestHead.left(requestHead.indexOf("\r\n")).split(' ');
  const QString path = requestLine.size() == 3 ? QString::fromLatin1(requestLine[1]) : QString();
  const auto found = m_answers.constFind(path);
  return found != m_answers.cend() ? *found : WithLength(404, "Not Found", "text/plain");
}
