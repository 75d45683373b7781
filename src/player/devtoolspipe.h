#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;

// The DevTools protocol over the player process's pipe: NUL-ended JSON messages;
// answers reach the callback sent with their command, events the event signal.
class DevToolsPipe final : public QObject {
  Q_OBJECT

 public:
  // The answer's result, or the protocol's error message (result then empty).
  using Answer = std::function<void(const QJsonObject& result, const QString& error)>;

  // Takes both descriptors (made non-blocking here) and closes them when done.
  DevToolsPipe(int readFd, int writeFd, QObject* parent = nullptr);
  ~DevToolsPipe() override;

  int Send(const QString& method, const QJsonObject& params = {}, const QString& session = {},
           Answer answer = {});
  // Blocks, handling other messages meanwhile: for the program's last words only.
  bool WaitFor(int id, int ms);
  bool IsBroken() const { return m_broken; }

 Q_SIGNALS:
  void event(const QString& method, const QJsonObject& params, const QString& session);
  // The other end closed, or sent what is not the protocol.
  void broken();

 private:
  void Read();
  void Write();
  void Break();

  int m_readFd;
  int m_writeFd;
  QSocketNotifier* m_reader;
  QSocketNotifier* m_writer;
  QByteArray m_in;
  QByteArray m_out;
  int m_lastId = 0;
  QHash<int, Answer> m_waiting;
  bool m_broken = false;
};
