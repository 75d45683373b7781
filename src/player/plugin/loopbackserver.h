#pragma once

#include "platform/outcome.h"

#include "launch/moviebound.h"

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

// What another local process can make the server hold: any process on the
// machine may connect, so nothing here grows with what a client sends.
struct LoopbackLimits {
  // A request head (request line and headers) larger than this is refused.
  int maxHeadBytes = 8 * 1024;
  // Connections held at once. A new one beyond it takes the place of the
  // oldest that has not sent a whole head yet, so that idle sockets cannot
  // lock out the web view, whose requests come whole at once.
  int maxConnections = 64;
  // From accepting a connection to having its whole head: a slow or idle
  // client gets no more.
  std::chrono::milliseconds headTimeout{5000};
  // An answer that the client does not take any of for this long is dropped.
  std::chrono::milliseconds sendTimeout{10000};
  // A larger file is not served at all: no game comes near it.
  qint64 maxFileBytes = kMaxMovieBytes;
};

// The web view's only source of Ruffle and movies: an HTTP/1.1 server on
// 127.0.0.1 that answers GET and HEAD from a fixed allow-list of exact paths,
// each under a random token. No request path is ever turned into a file
// name; the files behind the allow-list are chosen by the program. A request
// is judged by its head alone (method, Host, path) and one that announces a
// body is refused, so no body is ever read; every answer closes its
// connection. It runs on the thread that creates it (the UI thread) and needs
// its event loop.
class LoopbackServer final : public QObject {
 public:
  // ruffleFolder ends in "/"; allowedOrigin is the one origin given CORS
  // access, or empty for none (the page is served here, of the same origin).
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
  // Where Ruffle's files are served ("<base>ruffle/"), for its publicPath.
  QString RuffleUrl() const { return BaseUrl() + QStringLiteral("ruffle/"); }

  // Makes the file the one movie served and returns its new URL; any earlier
  // movie URL stops answering. An empty path serves no movie.
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
