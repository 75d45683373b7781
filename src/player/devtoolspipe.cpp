#include "player/devtoolspipe.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QSocketNotifier>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Far above any answer asked for: beyond it the other side is not speaking the protocol.
constexpr qsizetype kMaxMessageBytes = 64 * 1024 * 1024;

void MakeNonBlocking(int fd) {
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

}  // namespace

DevToolsPipe::DevToolsPipe(int readFd, int writeFd, QObject* parent)
    : QObject(parent), m_readFd(readFd), m_writeFd(writeFd) {
  MakeNonBlocking(m_readFd);
  MakeNonBlocking(m_writeFd);
  m_reader = new QSocketNotifier(m_readFd, QSocketNotifier::Read, this);
  connect(m_reader, &QSocketNotifier::activated, this, &DevToolsPipe::Read);
  m_writer = new QSocketNotifier(m_writeFd, QSocketNotifier::Write, this);
  m_writer->setEnabled(false);
  connect(m_writer, &QSocketNotifier::activated, this, &DevToolsPipe::Write);
}

DevToolsPipe::~DevToolsPipe() {
  m_reader->setEnabled(false);
  m_writer->setEnabled(false);
  ::close(m_readFd);
  ::close(m_writeFd);
}

int DevToolsPipe::Send(const QString& method, const QJsonObject& params, const QString& session,
                       Answer answer) {
  if (m_broken)
    return 0;
  const int id = ++m_lastId;
  QJsonObject message{{QStringLiteral("id"), id},
                      {QStringLiteral("method"), method},
                      {QStringLiteral("params"), params}};
  if (!session.isEmpty())
    message.insert(QStringLiteral("sessionId"), session);
  m_out += QJsonDocument(message).toJson(QJsonDocument::Compact);
  m_out += '\0';
  if (answer)
    m_waiting.insert(id, std::move(answer));
  Write();
  return id;
}

void DevToolsPipe::Write() {
  while (!m_out.isEmpty() && !m_broken) {
    const ssize_t written = ::write(m_writeFd, m_out.constData(), size_t(m_out.size()));
    if (written < 0) {
      if (errno == EINTR)
        continue;
      if (errno != EAGAIN)
        Break();
      break;
    }
    m_out.remove(0, written);
  }
  m_writer->setEnabled(!m_out.isEmpty() && !m_broken);
}

void DevToolsPipe::Read() {
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = ::read(m_readFd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0 && errno == EAGAIN)
      break;
    if (got <= 0) {
      Break();
      return;
    }
    m_in.append(buffer, got);
  }
  qsizetype end;
  while (!m_broken && (end = m_in.indexOf('\0')) >= 0) {
    const QJsonObject message = QJsonDocument::fromJson(m_in.left(end)).object();
    m_in.remove(0, end + 1);
    if (message.contains(QStringLiteral("id"))) {
      const Answer answer = m_waiting.take(message.value(QStringLiteral("id")).toInt());
      if (answer)
        answer(message.value(QStringLiteral("result")).toObject(),
               message.contains(QStringLiteral("error")) ? message.value(QStringLiteral("error"))
                                                               .toObject()
                                                               .value(QStringLiteral("message"))
                                                               .toString(QStringLiteral("error"))
                                                         : QString());
    } else {
      Q_EMIT event(message.value(QStringLiteral("method")).toString(),
                   message.value(QStringLiteral("params")).toObject(),
                   message.value(QStringLiteral("sessionId")).toString());
    }
  }
  if (m_in.size() > kMaxMessageBytes)
    Break();
}

bool DevToolsPipe::WaitFor(int id, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!m_broken && m_waiting.contains(id) && clock.elapsed() < ms) {
    pollfd fds[2] = {{m_readFd, POLLIN, 0}, {m_writeFd, POLLOUT, 0}};
    ::poll(fds, m_out.isEmpty() ? 1 : 2, int(qMax<qint64>(1, ms - clock.elapsed())));
    if (!m_out.isEmpty())
      Write();
    Read();
  }
  return !m_waiting.contains(id);
}

void DevToolsPipe::Break() {
  if (m_broken)
    return;
  m_broken = true;
  m_reader->setEnabled(false);
  m_writer->setEnabled(false);
  m_waiting.clear();
  Q_EMIT broken();
}
