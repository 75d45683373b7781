#pragma once

#include <QUrl>
#include <QWebEngineView>

#include "player/flashengine.h"

class FlashRuntime;
class FlashPage;

// Ruffle in a locked-down web view: the movie view behind the Flash control.
class WebFlashView final : public QWebEngineView, public FlashEngine {
 public:
  WebFlashView(FlashRuntime* runtime, QWidget* parent);
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
  enum class State { Loading, Ready, Failed, Lost };

  void LoadHostPage();
  void OnPageMessage(const QString& what, const QString& detail);
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
};
