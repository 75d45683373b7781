#pragma once

// An HTTP server on loopback that answers each path with exact, scripted
// bytes, including broken framing that ready-made servers never send. It runs
// on its own thread so that blocking clients can be tested from the caller's.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>

#include <memory>

class QThread;
class ResponderWorker;

struct ScriptedAnswer {
  enum class Ending { Close, Hold };
  QByteArray head;  // sent at once: status line, headers and any body
  // Then this block, this many times, written as the connection drains.
  QByteArray repeat;
  qint64 repeatCount = 0;
  QByteArray tail;                // sent after the repeats
  Ending ending = Ending::Close;  // Hold keeps the connection open, silent
  // When set, all of the above goes out this many bytes per interval
  // instead: a server that trickles.
  int trickleBytes = 0;
  int trickleIntervalMs = 0;
};

// A complete answer with the given status, headers and body.
QByteArray HttpHead(int status, const QByteArray& reason, const QList<QByteArray>& headers);
ScriptedAnswer WithLength(int status, const QByteArray& body,
                          const QByteArray& type = "application/x-shockwave-flash");
// Body delimited by closing the connection, without a Content-Length.
ScriptedAnswer CloseDelimited(const QByteArray& body);

class ScriptedResponder {
 public:
  ScriptedResponder();
  ~ScriptedResponder();
  ScriptedResponder(const ScriptedResponder&) = delete;
  ScriptedResponder& operator=(const ScriptedResponder&) = delete;

  // Paths without an answer get a 404.
  void Answer(const QString& path, const ScriptedAnswer& answer);
  QString Base() const;  // "http://127.0.0.1:<port>"
  QString Url(const QString& path) const { return Base() + path; }
  // The raw head of every request received so far.
  QList<QByteArray> Requests() const;

 private:
  friend class ResponderWorker;
  ScriptedAnswer Lookup(const QByteArray& requestHead);

  mutable QMutex m_mutex;
  QHash<QString, ScriptedAnswer> m_answers;
  QList<QByteArray> m_requests;
  quint16 m_port = 0;
  std::unique_ptr<QThread> m_thread;
  ResponderWorker* m_worker = nullptr;
};
