#include "player/plugin/webflashview.h"

#include <QChildEvent>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QWebChannel>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEnginePage>
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
#include <QWebEnginePermission>
#endif
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWheelEvent>

#include "player/playersettings.h"
#include "player/plugin/flashruntime.h"
#include "player/plugin/loopbackserver.h"

// The page: stays on the host page, opens nothing, grants nothing.
class FlashPage final : public QWebEnginePage {
 public:
  FlashPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    connect(this, &QWebEnginePage::permissionRequested, this,
            [](QWebEnginePermission permission) { permission.deny(); });
#else
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl& origin, Feature feature) {
              setFeaturePermission(origin, feature, PermissionDeniedByUser);
            });
#endif
    connect(this, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
  }

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
    return isMainFrame && url == QUrl(HostPageUrl());
  }
  QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
  QStringList chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) override {
    return {};
  }
  void javaScriptAlert(const QUrl&, const QString&) override {}
  bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
  bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override {
    return false;
  }
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                const QString&) override {}
};

// The object the page's channel reaches: its reports, and nothing else.
class PageBridge final : public QObject {
  Q_OBJECT

 public:
  explicit PageBridge(WebFlashView* view) : QObject(view), m_view(view) {}

 public Q_SLOTS:
  void ready() { m_view->PageReady(); }
  void noRuffle() { m_view->PageHasNoRuffle(); }
  void loaded(int load) { m_view->MovieLoadedInPage(load); }
  void failed(int load, const QString&) { m_view->MovieFailedInPage(load); }
  void save(int load, const QString& key, const QString& value) {
    m_view->SaveFromPage(load, key, value);
  }
  void remove(int load, const QString& key) { m_view->RemoveFromPage(load, key); }

 private:
  WebFlashView* m_view;
};

WebFlashView::WebFlashView(std::unique_ptr<FlashRuntime> runtime, QWidget* parent)
    : QWebEngineView(parent), m_runtime(runtime.release()) {
  m_runtime->setParent(this);
  m_page = new FlashPage(m_runtime->Profile(), this);
  // Until the host page has drawn itself, the view shows this colour: black,
  // the empty player's stage, never the engine's white.
  m_page->setBackgroundColor(Qt::black);

  // The channel lives in an isolated world of the page's: the page's own
  // scripts, Ruffle among them, share the DOM with it but cannot see it.
  auto* channel = new QWebChannel(this);
  channel->registerObject(QStringLiteral("page"), new PageBridge(this));
  m_page->setWebChannel(channel, QWebEngineScript::ApplicationWorld);
  QWebEngineScript script;
  script.setName(QStringLiteral("quillet-channel"));
  script.setSourceCode(m_runtime->ChannelScript());
  script.setWorldId(QWebEngineScript::ApplicationWorld);
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setRunsOnSubFrames(false);
  m_page->scripts().insert(script);

  for (const playersettings::BrowserSetting& setting : playersettings::BrowserSettings())
    m_page->settings()->setAttribute(QWebEngineSettings::WebAttribute(setting.attribute),
                                     setting.on);

  connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
    if (!ok && m_state == State::Loading) {
      m_state = State::Failed;
      m_failure = QStringLiteral("The player's page could not be loaded");
      if (m_listener)
        m_listener->EngineFailed(m_failure);
    }
  });
  connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
          [this](QWebEnginePage::RenderProcessTerminationStatus, int) {
            m_state = State::Lost;
            if (m_listener)
              m_listener->RendererLost();
          });

  setPage(m_page);
  setContextMenuPolicy(Qt::PreventContextMenu);
  setAcceptDrops(false);
  LoadHostPage();
}

WebFlashView::~WebFlashView() {
  // The page goes before the view that shows it.
  delete m_page;
}

void WebFlashView::LoadHostPage() {
  m_state = State::Loading;
  m_page->setUrl(QUrl(HostPageUrl()));
}

void WebFlashView::PageReady() {
  if (m_state != State::Loading)
    return;
  m_state = State::Ready;
  m_page->setZoomFactor(1.0);
  if (m_listener)
    m_listener->EngineReady();
  if (m_hasMovie)
    LoadMovieIntoPage();
}

void WebFlashView::PageHasNoRuffle() {
  // Only a page still loading can find Ruffle missing.
  if (m_state != State::Loading)
    return;
  m_state = State::Failed;
  m_failure = QStringLiteral("Ruffle could not be loaded");
  if (m_listener)
    m_listener->EngineFailed(m_failure);
}

void WebFlashView::MovieLoadedInPage(int load) {
  if (load == m_load && m_state == State::Ready && m_listener)
    m_listener->MovieLoaded();
}

void WebFlashView::MovieFailedInPage(int load) {
  if (load == m_load && m_state == State::Ready && m_listener)
    m_listener->MovieFailed();
}

void WebFlashView::SaveFromPage(int load, const QString& key, const QString& value) {
  const QString game = m_games.value(load);
  if (game.isEmpty() || m_runtime->Saves().Write(game, key, value))
    return;
  // Refused here although the page took it (the disk failed, or the game
  // before it saved late and took the room): the page learns what is kept.
  const QString kept = m_runtime->Saves().Read(game, key);
  const QJsonArray args{load, key, kept.isNull() ? QJsonValue() : QJsonValue(kept)};
  Run(QStringLiteral("quillet.restore(...%1)")
          .arg(QString::fromUtf8(QJsonDocument(args).toJson(QJsonDocument::Compact))));
}

void WebFlashView::RemoveFromPage(int load, const QString& key) {
  const QString game = m_games.value(load);
  if (!game.isEmpty())
    m_runtime->Saves().Remove(game, key);
}

void WebFlashView::SetMovie(const QString& fullPath, bool playing) {
  // The game left behind keeps its last saves on disk from now.
  m_runtime->Saves().Flush();
  // Only a regular file is served; anything else leaves the player empty.
  const QFileInfo info(fullPath);
  m_movieUrl = m_runtime->Server()->ServeMovie(info.isFile() ? fullPath : QString());
  m_movieName = info.fileName();
  m_hasMovie = true;
  m_playing = playing;
  QString ignored;
  if (m_state == State::Ready)
    LoadMovieIntoPage();
  else
    Revive(&ignored);
}

void WebFlashView::LoadMovieIntoPage() {
  // The page is handed the saves of this movie's game only: the game is the
  // movie's file name, wherever the file is.
  const QString game = m_movieUrl.isEmpty() ? QString() : m_movieName;
  const SaveStore::Opened saves = m_runtime->Saves().Open(game);
  ++m_load;
  m_games.remove(m_load - playersettings::kRememberedMovies);
  m_games.insert(m_load, game);
  const QJsonArray args{m_movieUrl.isEmpty() ? QString() : m_movieUrl.toString(),
                        m_movieName,
                        m_playing,
                        m_load,
                        saves.saves,
                        saves.allowance};
  const QByteArray json = QJsonDocument(args).toJson(QJsonDocument::Compact);
  Run(QStringLiteral("quillet.load(...%1)").arg(QString::fromUtf8(json)));
}

bool WebFlashView::Revive(QString* error) {
  switch (m_state) {
    case State::Ready:
      return true;
    case State::Loading:
      // The page applies the wanted state once it is ready.
      return true;
    case State::Lost:
      LoadHostPage();
      return true;
    case State::Failed:
      *error = m_failure;
      LoadHostPage();  // the next call may find it working again
      return false;
  }
  return false;
}

bool WebFlashView::Play(QString* error) {
  if (!Revive(error))
    return false;
  m_playing = true;
  if (m_state == State::Ready)
    Run(QStringLiteral("quillet.play()"));
  return true;
}

bool WebFlashView::Stop(QString* error) {
  if (!Revive(error))
    return false;
  m_playing = false;
  if (m_state == State::Ready)
    Run(QStringLiteral("quillet.stop()"));
  return true;
}

void WebFlashView::FocusMovie() {
  setFocus(Qt::OtherFocusReason);
  if (m_state == State::Ready)
    Run(QStringLiteral("quillet.focus()"));
}

qint64 WebFlashView::RendererProcessId() const {
  return m_state == State::Lost ? 0 : m_page->renderProcessPid();
}

void WebFlashView::Run(const QString& script) {
  m_page->runJavaScript(script);
}

bool WebFlashView::event(QEvent* event) {
  // The web engine draws into a child widget it creates itself; watch it for
  // right clicks and zoom gestures.
  if (event->type() == QEvent::ChildAdded) {
    QObject* child = static_cast<QChildEvent*>(event)->child();
    if (child->isWidgetType())
      child->installEventFilter(this);
  }
  return QWebEngineView::event(event);
}

bool WebFlashView::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ContextMenu:
      if (m_listener)
        m_listener->ContextMenuRequested(static_cast<QContextMenuEvent*>(event)->globalPos());
      return true;
    case QEvent::Wheel:
      // Ctrl+wheel would zoom the page; the movie keeps its size.
      if (static_cast<QWheelEvent*>(event)->modifiers() & Qt::ControlModifier)
        return true;
      break;
    default:
      break;
  }
  return QWebEngineView::eventFilter(watched, event);
}

#include "webflashview.moc"
