#include "player/plugin/webflashview.h"

#include <QChildEvent>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEnginePage>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineSettings>
#include <QWheelEvent>

#include "player/plugin/flashruntime.h"
#include "player/plugin/loopbackserver.h"

// The page: stays on the host page, opens nothing, grants nothing, and passes
// the host page's marked console lines on as messages.
class FlashPage final : public QWebEnginePage {
 public:
  using Handler = std::function<void(const QString&, const QString&)>;

  FlashPage(QWebEngineProfile* profile, QString nonce, Handler handler, QObject* parent)
      : QWebEnginePage(profile, parent),
        m_prefix(QStringLiteral("quillet:") + nonce + QLatin1Char(':')),
        m_handler(std::move(handler)) {
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl& origin, Feature feature) {
              setFeaturePermission(origin, feature, PermissionDeniedByUser);
            });
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
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                const QString&) override {
    if (!message.startsWith(m_prefix))
      return;
    const QString rest = message.mid(m_prefix.size());
    const qsizetype colon = rest.indexOf(QLatin1Char(':'));
    m_handler(rest.left(colon), colon < 0 ? QString() : rest.mid(colon + 1));
  }

 private:
  QString m_prefix;
  Handler m_handler;
};

WebFlashView::WebFlashView(FlashRuntime* runtime, QWidget* parent)
    : QWebEngineView(parent), m_runtime(runtime) {
  m_page = new FlashPage(
      runtime->Profile(), runtime->Nonce(),
      [this](const QString& what, const QString& detail) { OnPageMessage(what, detail); }, this);

  QWebEngineSettings* s = m_page->settings();
  s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
  s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
  s->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
  s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
  s->setAttribute(QWebEngineSettings::ShowScrollBars, false);
  s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
  s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
  s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
  s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
  s->setAttribute(QWebEngineSettings::WebGLEnabled, false);
  s->setAttribute(QWebEngineSettings::Accelerated2dCanvasEnabled, false);
  s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
  s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, true);

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

void WebFlashView::OnPageMessage(const QString& what, const QString& detail) {
  if (what == QLatin1String("ready")) {
    m_state = State::Ready;
    m_page->setZoomFactor(1.0);
    if (m_listener)
      m_listener->EngineReady();
    if (m_hasMovie)
      LoadMovieIntoPage();
  } else if (what == QLatin1String("noruffle")) {
    m_state = State::Failed;
    m_failure = QStringLiteral("Ruffle could not be loaded");
    if (m_listener)
      m_listener->EngineFailed(m_failure);
  } else if (what == QLatin1String("loaded")) {
    if (m_listener)
      m_listener->MovieLoaded();
  } else if (what == QLatin1String("save")) {
    const QJsonArray save = QJsonDocument::fromJson(detail.toUtf8()).array();
    m_runtime->Saves().Write(save.at(0).toString(), save.at(1).toString());
  } else if (what == QLatin1String("remove")) {
    const QJsonArray key = QJsonDocument::fromJson("[" + detail.toUtf8() + "]").array();
    m_runtime->Saves().Remove(key.at(0).toString());
  } else if (what == QLatin1String("failed")) {
    if (m_listener)
      m_listener->MovieFailed();
  }
}

void WebFlashView::SetMovie(const QString& fullPath, bool playing) {
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
  const QJsonArray args{m_movieUrl.isEmpty() ? QString() : m_movieUrl.toString(), m_movieName,
                        m_playing, m_runtime->Saves().ReadAll()};
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
