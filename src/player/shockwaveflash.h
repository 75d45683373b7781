#pragma once

#include <QHash>
#include <QIcon>
#include <QJsonObject>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <stdexcept>

#include "player/playerprofile.h"
#include "player/playersettings.h"
#include "player/plugin/savestore.h"

class DevToolsPipe;
class LoopbackServer;

// An error raised by the Flash control; what() is its text (UTF-8).
class FlashError : public std::runtime_error {
 public:
  explicit FlashError(const QString& message);
  QString Message() const { return QString::fromUtf8(what()); }
};

// The Flash control `f`: Ruffle in Chromium, driven over its DevTools pipe and kept
// warm so that a game starts fast. A loopback server gives page, Ruffle and movie
// one origin; Esc and right clicks come from the X server, never from the page.
class TShockwaveFlash final : public QObject {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TShockwaveFlash)

 public:
  // Throws FlashError when Chromium or Ruffle (the program folder's ruffle/) is
  // missing. A movie may reach its own server and gameServer (an origin) only.
  explicit TShockwaveFlash(const QString& programFolder, const QString& gameServer = {},
                           QObject* parent = nullptr);
  ~TShockwaveFlash() override;

  // An unreadable movie leaves the player empty; so does a file that is not regular
  // or is too large to be a game, which also throws FlashError.
  void SetMovie(const QString& fullPath);
  QString Movie() const { return m_movie; }
  // Throw FlashError on failure.
  void Play();
  void Stop();
  void FocusMovie();
  // The menu that a right click on the movie opens (nullptr: none).
  void SetPopupMenu(QMenu* menu) { m_popupMenu = menu; }
  void ShowPlayer(bool shown);
  bool IsShown() const { return m_shown; }
  // The player's X window (0 while it has none).
  unsigned long WindowId() const { return m_window; }

  // For tests and benchmarks; the process id is 0 while there is none.
  bool IsEngineReady() const { return m_state == State::Ready; }
  qint64 RendererProcessId() const;
  // For tests: runs script in the page's own world, where a movie's script would run.
  void RunPageScript(const QString& script, std::function<void(const QJsonValue&)> done = {});
  QString ProcessOutputTail() const { return QString::fromLocal8Bit(m_stderrTail); }

 Q_SIGNALS:
  void engineReady();
  void engineFailed(const QString& error);
  void movieLoaded();
  void movieFailed();
  // The process ended, its window closed or its pipe broke; a new one starts at once.
  void rendererLost();
  void popupRequested(const QPoint& globalPos);
  void escapePressed();
  // The player's window appeared (after a start or restart).
  void windowChanged(unsigned long window);

 private:
  enum class State { Starting, Ready, Failed, Lost };

  void StartProcess();
  void Lose();
  void StopProcess();
  void FindWindow();
  void OnEvent(const QString& method, const QJsonObject& params, const QString& session);
  void Attach(const QString& targetId);
  void PageLoaded();
  void WatchRightClicks();
  int Evaluate(const QString& expression, bool awaitPromise = false,
               std::function<void(const QJsonObject& value)> done = {});
  int Page(const QString& method, const QJsonObject& params = {},
           std::function<void(const QJsonObject&, const QString&)> done = {});
  void LoadMovieIntoPage();
  // Reads the page's storage and keeps its changes in game's saves.
  int PullSaves(const QString& game);
  void ApplySaves(const QString& game, const QJsonArray& entries);
  Outcome Revive();
  void SetPlaying(bool playing);
  // Ruffle keys shared objects by the page's address, new each run; the store keeps old names.
  QString StoredKey(const QString& pageKey) const;
  QString PageKey(const QString& storedKey) const;

  QString m_executable;
  QString m_ruffleFolder;
  QString m_gameServer;
  FlashSettings m_settings;
  QString m_movie;
  QPointer<QMenu> m_popupMenu;

  LoopbackServer* m_server = nullptr;
  QString m_pageFile;
  QUrl m_pageUrl;
  PlayerProfile m_profile;
  QProcess* m_process = nullptr;
  qint64 m_processGroup = 0;
  DevToolsPipe* m_pipe = nullptr;
  QByteArray m_stderrTail;
  QTimer m_windowSearch;
  QTimer m_pullTimer;
  State m_state = State::Starting;
  QString m_failure;
  QString m_targetId;
  QString m_session;
  // The world that reports right clicks (0: none yet).
  int m_menuWorld = 0;
  unsigned long m_window = 0;
  bool m_shown = false;

  QUrl m_movieUrl;
  QString m_movieName;
  bool m_hasMovie = false;
  bool m_playing = true;
  int m_load = 0;
  // The game whose saves the page's storage holds (empty: none), and what
  // the program last knew of them, per game until its last read is in.
  QString m_game;
  QHash<QString, QJsonObject> m_known;
  SaveStore m_saves;
};
