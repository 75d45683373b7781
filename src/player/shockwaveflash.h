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

// The Flash control `f`: plays movie files with Ruffle in the player process,
// Chromium, which shows them in a full-screen window of its own and is
// driven over its DevTools pipe. The process is started with the control
// (warm, so that a game starts fast) and again after it is lost; its window
// is off the screen until ShowPlayer. A loopback server gives the page, Ruffle
// and the movie, all of one origin. The program answers the movie's Esc and
// right clicks from the X server, never from the page.
class TShockwaveFlash final : public QObject {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TShockwaveFlash)

 public:
  // Finds Chromium and Ruffle (the program folder's ruffle/) and starts the
  // player process. Throws FlashError when either is missing. The control
  // starts with its stored settings: Movie "C:\Flash\chid.swf", playing when
  // loaded, no menu of its own, movie scaled to show all of it. A movie may
  // reach its own server and gameServer (an origin) only.
  explicit TShockwaveFlash(const QString& programFolder, const QString& gameServer = {},
                           QObject* parent = nullptr);
  ~TShockwaveFlash() override;

  // Loads the movie file at fullPath, replacing what was loaded, and plays it
  // once loaded. A path that is not a readable movie leaves the player empty;
  // so does one that is not a regular file or is too large to be a game,
  // which also throws FlashError.
  void SetMovie(const QString& fullPath);
  QString Movie() const { return m_movie; }
  // Start or resume, and stop playback. Throw FlashError on failure.
  void Play();
  void Stop();
  // Gives the keyboard focus to the movie, so that keys reach it.
  void FocusMovie();
  // The menu that a right click on the movie opens (nullptr: none).
  void SetPopupMenu(QMenu* menu) { m_popupMenu = menu; }
  // Shows the player's window full-screen and active, or takes it off the screen.
  void ShowPlayer(bool shown);
  bool IsShown() const { return m_shown; }
  // The player's X window (0 while it has none).
  unsigned long WindowId() const { return m_window; }

  // For tests and benchmarks: whether Ruffle is loaded in the page, and the
  // player process (0 while there is none).
  bool IsEngineReady() const { return m_state == State::Ready; }
  qint64 RendererProcessId() const;
  // The tail of what the player process said on its error output.
  QString ProcessOutputTail() const { return QString::fromLocal8Bit(m_stderrTail); }

 Q_SIGNALS:
  void engineReady();
  void engineFailed(const QString& error);
  void movieLoaded();
  void movieFailed();
  // The player process ended, its window closed or its pipe broke; a new one
  // is started at once.
  void rendererLost();
  void popupRequested(const QPoint& globalPos);
  // Esc pressed in the player's window.
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
  // Ruffle names a shared object after the page's address, which changes with
  // every run; the store keeps it under the name earlier versions gave it.
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
  DevToolsPipe* m_pipe = nullptr;
  QByteArray m_stderrTail;
  QTimer m_windowSearch;
  QTimer m_pullTimer;
  State m_state = State::Starting;
  QString m_failure;
  QString m_targetId;
  QString m_session;
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
