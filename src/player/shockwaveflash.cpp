#include "player/shockwaveflash.h"

#include <QCoreApplication>
#include <QDir>
#include <QPluginLoader>
#include <QVBoxLayout>

namespace {

QString ProgramFolder() {
  return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

}  // namespace

FlashError::FlashError(const QString& message) : std::runtime_error(message.toStdString()) {}

TShockwaveFlash::TShockwaveFlash(QWidget* parent) : TShockwaveFlash(ProgramFolder(), parent) {}

TShockwaveFlash::TShockwaveFlash(const QString& programFolder, QWidget* parent)
    : QWidget(parent), m_movie(m_settings.movie) {
  // Without it the web engine crashes as it starts.
  if (!QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts))
    throw FlashError(QStringLiteral(
        "The Flash player needs TShockwaveFlash::PrepareApplication() before the application"));
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

void TShockwaveFlash::PrepareApplication() {
  // The web engine shares OpenGL contexts with the application; this must be
  // said before the QApplication exists.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

void TShockwaveFlash::SetMovie(const QString& fullPath) {
  m_movie = fullPath;
  m_engine->SetMovie(fullPath, m_settings.playing);
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
