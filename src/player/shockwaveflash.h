#pragma once

#include <QMenu>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <stdexcept>

#include "player/flashengine.h"

class QPluginLoader;

// An error raised by the Flash control; what() is its text (UTF-8).
class FlashError : public std::runtime_error {
 public:
  explicit FlashError(const QString& message);
  QString Message() const { return QString::fromUtf8(what()); }
};

// The Flash control `f`: plays movie files with Ruffle. The web engine lives
// in a plugin (plugins/ in the program folder) loaded when the control is
// created, so the program does not pay for it before then. The control fills
// its parent's layout; showing it is QWidget::setVisible.
//
// One control per process: every control shares one web profile and one
// loopback server, which serves the movie last given to SetMovie.
class TShockwaveFlash final : public QWidget, private FlashEngineListener {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TShockwaveFlash)

 public:
  // Loads the plugin and Ruffle from the program folder (the executable's).
  // Throws FlashError when either cannot be loaded. The control starts with
  // its stored settings: Movie "C:\Flash\chid.swf", playing when loaded, no
  // menu of its own, movie scaled to show all of it.
  explicit TShockwaveFlash(QWidget* parent = nullptr);
  // The same from another program folder (ending in "/"); tests use it.
  TShockwaveFlash(const QString& programFolder, QWidget* parent);
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
  // The menu that a right click on the control opens (nullptr: none).
  void SetPopupMenu(QMenu* menu) { m_popupMenu = menu; }

  // For tests and benchmarks: whether Ruffle is loaded in the page, and the
  // web engine's renderer process (0 while there is none).
  bool IsEngineReady() const { return m_engineReady; }
  qint64 RendererProcessId() const;

 Q_SIGNALS:
  // Ruffle is loaded and the control takes movies.
  void engineReady();
  // Ruffle could not be loaded into the page; Play and Stop fail until it is.
  void engineFailed(const QString& error);
  // The movie from the last SetMovie shows its first frame.
  void movieLoaded();
  // The movie from the last SetMovie could not be loaded (missing or not a movie).
  void movieFailed();
  // The web engine's renderer died; the next SetMovie or Play start a new one.
  void rendererLost();
  // A right click asked for the popup menu at globalPos.
  void popupRequested(const QPoint& globalPos);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void EngineReady() override;
  void EngineFailed(const QString& error) override;
  void MovieLoaded() override;
  void MovieFailed() override;
  void ContextMenuRequested(const QPoint& globalPos) override;
  void RendererLost() override;

  QPluginLoader* m_loader = nullptr;
  FlashEngine* m_engine = nullptr;
  QPointer<QMenu> m_popupMenu;
  FlashSettings m_settings;
  QString m_movie;
  bool m_engineReady = false;
};
