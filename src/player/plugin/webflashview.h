#pragma once

#include <QHash>
#include <QUrl>
#include <QWebEngineView>

#include <memory>

#include "player/flashengine.h"

class FlashRuntime;
class FlashPage;
class PageBridge;

// Ruffle in a locked-down web view: the movie view behind the Flash control.
class WebFlashView final : public QWebEngineView, public FlashEngine {
 public:
  // Takes the runtime: it lives as long as the view.
  WebFlashView(std::unique_ptr<FlashRuntime> runtime, QWidget* parent);
  ~WebFlashView() override;

  QWidget* Widget() override { return this; }
  void SetListener(FlashEngineListener* listener) override { m_listener = listener; }
  void SetMovie(const QString& fullPath, bool playing) override;
  bool Play(QString* error) override;
  bool Stop(QString* error) override;
  void FocusMovie() override;
  qint64 RendererProcessId() const override;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class PageBridge;
  enum class State { Loading, Ready, Failed, Lost };

  void LoadHostPage();
  // What the page reports over its channel. Each report is taken only when
  // it fits the view's state: the page's scripts are the program's, but
  // nothing the page says is trusted further than it must be.
  void PageReady();
  void PageHasNoRuffle();
  void MovieLoadedInPage(int load);
  void MovieFailedInPage(int load);
  void SaveFromPage(int load, const QString& key, const QString& value);
  void RemoveFromPage(int load, const QString& key);
  void LoadMovieIntoPage();
  void Run(const QString& script);
  // Brings a failed or dead page back; returns false while it cannot run.
  bool Revive(QString* error);

  FlashRuntime* m_runtime;
  FlashPage* m_page;
  FlashEngineListener* m_listener = nullptr;
  State m_state = State::Loading;
  QString m_failure;
  QUrl m_movieUrl;
  QString m_movieName;
  bool m_hasMovie = false;
  bool m_playing = true;
  // The number of the movie last handed to the page, and the games of the
  // last few, so that a save the page sent before a new movie came still
  // reaches the game it belongs to.
  int m_load = 0;
  QHash<int, QString> m_games;
};
