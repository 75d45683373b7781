#pragma once

// The boundary between the Flash control (linked into the program) and the
// web engine that plays movies (a plugin loaded at run time, so that the
// launcher shows before the web engine's libraries are loaded).

#include "player/playersettings.h"

#include <QPoint>
#include <QString>
#include <QtPlugin>

class QWidget;

// What the engine reports back to the control. Called on the UI thread.
class FlashEngineListener {
 public:
  virtual ~FlashEngineListener() = default;
  // The host page and Ruffle's script are loaded; movies can be played.
  virtual void EngineReady() = 0;
  // The host page or Ruffle could not be loaded.
  virtual void EngineFailed(const QString& error) = 0;
  // The movie given to SetMovie was fetched and its first frame is ready.
  virtual void MovieLoaded() = 0;
  // The movie given to SetMovie could not be fetched or parsed in time.
  virtual void MovieFailed() = 0;
  // A right click on the movie; globalPos is in screen coordinates.
  virtual void ContextMenuRequested(const QPoint& globalPos) = 0;
  // The web engine's renderer process ended; the next SetMovie or Play revives it.
  virtual void RendererLost() = 0;
};

// One movie view. The engine is the widget returned by Widget(), owned by
// its Qt parent.
class FlashEngine {
 public:
  virtual ~FlashEngine() = default;
  virtual QWidget* Widget() = 0;
  virtual void SetListener(FlashEngineListener* listener) = 0;
  // Loads a movie file, replacing the current one; plays it if playing is set.
  virtual void SetMovie(const QString& fullPath, bool playing) = 0;
  // Both return false with a reason when the engine cannot take the command.
  virtual bool Play(QString* error) = 0;
  virtual bool Stop(QString* error) = 0;
  virtual void FocusMovie() = 0;
  // The renderer process (0 when there is none), for tests and benchmarks.
  virtual qint64 RendererProcessId() const = 0;
};

class FlashEngineFactory {
 public:
  virtual ~FlashEngineFactory() = default;
  // ruffleFolder ends in "/". Returns nullptr and sets error on failure.
  virtual FlashEngine* Create(const FlashSettings& settings, const QString& ruffleFolder,
                              QWidget* parent, QString* error) = 0;
};

#define QuilletFlashEngineFactory_iid "org.quillet.FlashEngineFactory/1"
Q_DECLARE_INTERFACE(FlashEngineFactory, QuilletFlashEngineFactory_iid)
