#pragma once

#include "platform/moviebound.h"
#include "platform/outcome.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <list>

class QTcpServer;
class QTcpSocket;
class LoopbackConnection;

// Any local process may connect, so nothing here grows with what a client sends.
struct LoopbackLimits {
  int maxHeadBytes = 8 * 1024;
  // Beyond it a new connection replaces the oldest without a whole head, so idle
  // sockets cannot lock out the web view, whose requests come whole at once.
  int maxConnections = 64;
  // From accept to a whole head: a slow or idle client gets no more.
  std::chrono::milliseconds headTimeout{5000};
  // An answer that the client does not take any of for this long is dropped.
  std::chrono::milliseconds sendTimeout{10000};
  // A larger file is not served at all: no game comes near it.
  qint64 maxFileBytes = kMaxMovieBytes;
};

// The web view's only source: HTTP/1.1 on 127.0.0.1, GET and HEAD of exact allow-listed
// paths under a random token. No request path ever becomes a file name; a request is
// judged by its head alone, a body is refused unread, every answer closes its connection.
class LoopbackServer final : public QObject {
 public:
  // ruffleFolder ends in "/"; allowedOrigin alone gets CORS access (empty: none).
  LoopbackServer(const QString& ruffleFolder, const QByteArray& allowedOrigin,
                 QObject* parent = nullptr, const LoopbackLimits& limits = LoopbackLimits{});
  ~LoopbackServer() override;
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // Lists Ruffle's files and starts listening on a free port of 127.0.0.1.
  Outcome Start();

  quint16 Port() const { return m_port; }
  // "http://127.0.0.1:<port>/<token>/"
  QString BaseUrl() const;
  QString RuffleUrl() const { return BaseUrl() + QStringLiteral("ruffle/"); }

  // Any earlier movie URL stops answering; an empty path serves no movie.
  QUrl ServeMovie(const QString& filePath);
  // Serves the player's page (an HTML file) at the base URL, which it returns.
  QUrl ServePage(const QString& filePath);

 private:
  friend class LoopbackConnection;

  struct Entry {
    QString file;
    QByteArray mimeType;
    bool noStore = false;
  };
  // What a request head earns: a status, and for 200 the entry to send.
  struct Verdict {
    int status = 400;
    Entry entry;
    bool head = false;  // HEAD: headers only
  };

  void Accept();
  Verdict Judge(const QByteArray& requestHead) const;
  QByteArray ResponseHead(int status, const Entry* entry, qint64 length) const;
  void Forget(LoopbackConnection* connection);

  QString m_ruffleFolder;
  QByteArray m_allowedOrigin;
  LoopbackLimits m_limits;
  QByteArray m_token;
  QTcpServer* m_tcp = nullptr;
  quint16 m_port = 0;
  QByteArray m_host;
  QHash<QByteArray, Entry> m_entries;  // exact encoded path -> what it serves
  QByteArray m_moviePath;
  int m_movieGeneration = 0;
  std::list<LoopbackConnection*> m_connections;  // oldest first
};
