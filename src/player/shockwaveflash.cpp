#include "player/shockwaveflash.h"

#include "launch/moviebound.h"

#include <QCoreApplication>
#include <QDir>
#include <QOpenGLContext>
#include <QPluginLoader>
#include <QVBoxLayout>

QT_BEGIN_NAMESPACE
// Qt's setter behind QOpenGLContext::globalShareContext(): exported by Qt GUI
// (the web engine declares it the same way) but in no installed header.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE

namespace {

// The web engine shows its pages through OpenGL contexts shared with the
// application's, and looks for the shared one as soon as its library is
// loaded. Qt::AA_ShareOpenGLContexts would have the application create one,
// but that delays every window, the launcher included, by the time OpenGL
// takes to start (tens of milliseconds on a software rasteriser). Made here
// instead, before the plugin loads the engine, it costs the launcher nothing;
// no OpenGL window exists yet that would have needed it earlier.
void ShareOpenGLContexts() {
  if (QOpenGLContext::globalShareContext())
    return;
  auto* context = new QOpenGLContext;
  context->setFormat(QSurfaceFormat::defaultFormat());
  context->create();
  qt_gl_set_global_share_context(context);
  // Let go after every view, with the application.
  qAddPostRoutine([] {
    QOpenGLContext* shared = QOpenGLContext::globalShareContext();
    qt_gl_set_global_share_context(nullptr);
    delete shared;
  });
  // The engine's views share with the context only while the attribute is
  // set (without it a player shown again no longer gets keys). Qt warns that
  // it comes after the application was made, which is the point here.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

QString ProgramFolder() {
  return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

}  // namespace

FlashError::FlashError(const QString& message) : std::runtime_error(message.toStdString()) {}

TShockwaveFlash::TShockwaveFlash(QWidget* parent) : TShockwaveFlash(ProgramFolder(), parent) {}

TShockwaveFlash::TShockwaveFlash(const QString& programFolder, QWidget* parent)
    : QWidget(parent), m_movie(m_settings.movie) {
  ShareOpenGLContexts();
  const QString folder = QDir(programFolder).absolutePath() + QLatin1Char('/');
  // The loader is never unloaded: the engine's code must stay for the life
  // of the process.
  m_loader = new QPluginLoader(folder + QStringLiteral("plugins/quillet_flash"), this);
  QObject* instance = m_loader->instance();
  auto* factory = qobject_cast<FlashEngineFactory*>(instance);
  if (!factory)
    throw FlashError(QStringLiteral("Cannot load the Flash player: ") + m_loader->errorString());
  QString error;
  m_engine = factory->Create(m_settings, folder + QStringLiteral("ruffle/"), this, &error);
  if (!m_engine)
    throw FlashError(QStringLiteral("Cannot create the Flash player: ") + error);
  m_engine->SetListener(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(m_engine->Widget());
  setFocusProxy(m_engine->Widget());
  resize(800, 600);

  m_engine->SetMovie(m_movie, m_settings.playing);
}

TShockwaveFlash::~TShockwaveFlash() {
  if (m_engine)
    m_engine->SetListener(nullptr);
}

void TShockwaveFlash::SetMovie(const QString& fullPath) {
  m_movie = fullPath;
  QString refused;
  const bool playable = IsPlayableMovieFile(fullPath, &refused);
  m_engine->SetMovie(playable ? fullPath : QString(), m_settings.playing);
  if (!playable)
    throw FlashError(refused);
}

void TShockwaveFlash::Play() {
  QString error;
  if (!m_engine->Play(&error))
    throw FlashError(error);
}

void TShockwaveFlash::Stop() {
  QString error;
  if (!m_engine->Stop(&error))
    throw FlashError(error);
}

void TShockwaveFlash::FocusMovie() {
  m_engine->FocusMovie();
}

qint64 TShockwaveFlash::RendererProcessId() const {
  return m_engine->RendererProcessId();
}

void TShockwaveFlash::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Keys reach the movie whenever the player is shown, without a click.
  if (m_engineReady)
    FocusMovie();
}

void TShockwaveFlash::EngineReady() {
  m_engineReady = true;
  Q_EMIT engineReady();
  if (isVisible())
    FocusMovie();
}

void TShockwaveFlash::EngineFailed(const QString& error) {
  m_engineReady = false;
  Q_EMIT engineFailed(error);
}

void TShockwaveFlash::MovieLoaded() {
  Q_EMIT movieLoaded();
}

void TShockwaveFlash::MovieFailed() {
  Q_EMIT movieFailed();
}

void TShockwaveFlash::ContextMenuRequested(const QPoint& globalPos) {
  Q_EMIT popupRequested(globalPos);
  if (m_popupMenu)
    m_popupMenu->popup(globalPos);
}

void TShockwaveFlash::RendererLost() {
  m_engineReady = false;
  Q_EMIT rendererLost();
}
