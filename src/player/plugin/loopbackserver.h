#pragma once

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QUrl>

// The web view's only source of Ruffle and movies: an HTTP server on
// 127.0.0.1 that answers from a fixed allow-list of exact paths, each under a
// random token. No request path is ever turned into a file name; the files
// behind the allow-list are chosen by the program. It runs on the thread that
// creates it (the UI thread) and needs its event loop.
class LoopbackServer final : public QAbstractHttpServer {
 public:
  // ruffleFolder ends in "/"; allowedOrigin is the one origin given CORS
  // access (the host page's), e.g. "quillet://player".
  LoopbackServer(const QString& ruffleFolder, const QByteArray& allowedOrigin,
                 QObject* parent = nullptr);

  // Lists Ruffle's files and starts listening on a free port of 127.0.0.1.
  bool Start(QString* error);

  quint16 Port() const { return m_port; }
  // "http://127.0.0.1:<port>/<token>/"
  QString BaseUrl() const;
  // Where Ruffle's files are served ("<base>ruffle/"), for its publicPath.
  QString RuffleUrl() const { return BaseUrl() + QStringLiteral("ruffle/"); }

  // Makes the file the one movie served and returns its new URL; any earlier
  // movie URL stops answering. An empty path serves no movie.
  QUrl ServeMovie(const QString& filePath);

 protected:
  bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
  void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

 private:
  struct Entry {
    QString file;
    QByteArray mimeType;
    bool noStore = false;
  };

  QString m_ruffleFolder;
  QByteArray m_allowedOrigin;
  QByteArray m_token;
  quint16 m_port = 0;
  QByteArray m_host;
  QHash<QByteArray, Entry> m_entries;  // exact encoded path -> what it serves
  QByteArray m_moviePath;
  int m_movieGeneration = 0;
};
