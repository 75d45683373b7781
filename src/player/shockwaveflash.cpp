#include "player/shockwaveflash.h"

#include "platform/moviebound.h"
#include "platform/playerwindow.h"
#include "player/devtoolspipe.h"
#include "player/plugin/loopbackserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>

namespace {

QString FindChromium() {
  const QString direct = QStringLiteral("/usr/lib/chromium/chromium");
  if (QFileInfo(direct).isExecutable())
    return direct;
  return QStandardPaths::findExecutable(QStringLiteral("chromium"));
}

QString OriginOf(const QString& address) {
  const QUrl url(address);
  if (!url.isValid() || url.host().isEmpty())
    return {};
  return url
      .adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo)
      .toString(QUrl::StripTrailingSlash);
}

QString Json(const QJsonValue& value) {
  return QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact))
      .mid(1)
      .chopped(1);
}

const QString kCaption = QString::fromUtf8("小游戏");
const QString kMenuWorld = QStringLiteral("quillet");
constexpr int kMaxStderrTail = 4096;
constexpr int kPullIntervalMs = 250;

}  // namespace

FlashError::FlashError(const QString& message) : std::runtime_error(message.toStdString()) {}

TShockwaveFlash::TShockwaveFlash(const QString& programFolder, const QString& gameServer,
                                 QObject* parent)
    : QObject(parent),
      m_gameServer(OriginOf(gameServer)),
      m_movie(m_settings.movie),
      m_saves(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
              QStringLiteral("/saves/")) {
  m_executable = FindChromium();
  if (m_executable.isEmpty())
    throw FlashError(
        QStringLiteral("Cannot start the Flash player: Chromium is not installed (no "
                       "/usr/lib/chromium/chromium and no chromium on the PATH)"));
  const QString folder = QDir(programFolder).absolutePath() + QLatin1Char('/');
  m_ruffleFolder = folder + QStringLiteral("ruffle/");
  m_server = new LoopbackServer(m_ruffleFolder, QByteArray(), this);
  if (const Outcome started = m_server->Start(); !started)
    throw FlashError(QStringLiteral("Cannot create the Flash player: ") + started.Reason());

  QFile templateFile(QStringLiteral(":/quillet/hostpage.html"));
  if (!templateFile.open(QIODevice::ReadOnly))
    throw FlashError(QStringLiteral("Cannot create the Flash player: its page is missing"));
  QByteArray nonce(16, Qt::Uninitialized);
  QRandomGenerator::system()->generate(nonce.begin(), nonce.end());
  const QByteArray page =
      playersettings::HostPage(templateFile.readAll(), m_settings, m_server->RuffleUrl(),
                               QString::fromLatin1(nonce.toHex()), m_gameServer);

  const QString temp = QDir::tempPath();
  PlayerProfile::RemoveStale(temp);
  if (const Outcome created = m_profile.Create(temp); !created)
    throw FlashError(QStringLiteral("Cannot create the Flash player: ") + created.Reason());
  m_pageFile = m_profile.Path() + QStringLiteral("/page.html");
  QFile pageFile(m_pageFile);
  if (!pageFile.open(QIODevice::WriteOnly) || pageFile.write(page) != page.size())
    throw FlashError(QStringLiteral("Cannot create the Flash player: ") + pageFile.errorString());
  pageFile.close();
  m_pageUrl = m_server->ServePage(m_pageFile);

  if (geteuid() == 0)
    std::fputs("quillet: running as root, so Chromium's sandbox is off\n", stderr);

  m_windowSearch.setInterval(30);
  connect(&m_windowSearch, &QTimer::timeout, this, &TShockwaveFlash::FindWindow);
  m_pullTimer.setSingleShot(true);
  m_pullTimer.setInterval(kPullIntervalMs);
  connect(&m_pullTimer, &QTimer::timeout, this, [this] {
    if (!m_game.isEmpty())
      PullSaves(m_game);
  });
  StartProcess();
}

TShockwaveFlash::~TShockwaveFlash() {
  // The last movie's saves: its player is unloaded first, which flushes them.
  if (m_state == State::Ready && !m_game.isEmpty() && m_pipe) {
    Evaluate(QStringLiteral("quillet.unload()"));
    m_pipe->WaitFor(PullSaves(m_game), 3000);
  }
  StopProcess();
}

void TShockwaveFlash::StartProcess() {
  m_state = State::Starting;
  m_targetId.clear();
  m_session.clear();
  m_menuWorld = 0;
  m_window = 0;
  m_game.clear();
  m_stderrTail.clear();
  QDir(m_profile.Path()).mkpath(QStringLiteral("chromium"));
  QDir(m_profile.Path()).mkpath(QStringLiteral("tmp"));

  int toChromium[2], fromChromium[2];
  if (::pipe2(toChromium, O_CLOEXEC) != 0)
    return Lose();
  if (::pipe2(fromChromium, O_CLOEXEC) != 0) {
    ::close(toChromium[0]);
    ::close(toChromium[1]);
    return Lose();
  }
  m_process = new QProcess(this);
  const int childReads = toChromium[0], childWrites = fromChromium[1];
  m_process->setChildProcessModifier([childReads, childWrites] {
    // The protocol's descriptors: 3 is read by Chromium, 4 written.
    ::dup2(childReads, 3);
    ::dup2(childWrites, 4);
    // Never outlive the program, even when it is killed.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // A terminal's Ctrl+C reaches only the program, which keeps the saves first.
    ::setpgid(0, 0);
  });
  QStringList args{
      QStringLiteral("--remote-debugging-pipe"),
      QStringLiteral("--user-data-dir=") + m_profile.Path() + QStringLiteral("/chromium"),
      QStringLiteral("--no-first-run"),
      QStringLiteral("--no-default-browser-check"),
      QStringLiteral("--disable-background-networking"),
      QStringLiteral("--disable-component-update"),
      QStringLiteral("--disable-sync"),
      QStringLiteral("--disable-default-apps"),
      QStringLiteral("--disable-extensions"),
      QStringLiteral("--disable-features=Translate,MediaRouter,OptimizationHints"),
      QStringLiteral("--disable-session-crashed-bubble"),
      QStringLiteral("--noerrdialogs"),
      QStringLiteral("--password-store=basic"),
      QStringLiteral("--autoplay-policy=no-user-gesture-required"),
      QStringLiteral("--class=quillet"),
      QStringLiteral("--kiosk"),
      // Dark while a page is not drawn yet, never white.
      QStringLiteral("--force-dark-mode"),
      QStringLiteral("--app=about:blank"),
  };
  // Chromium cannot sandbox its renderers as root.
  if (geteuid() == 0)
    args.prepend(QStringLiteral("--no-sandbox"));
  m_process->setStandardOutputFile(QProcess::nullDevice());
  connect(m_process, &QProcess::readyReadStandardError, this, [this] {
    m_stderrTail += m_process->readAllStandardError();
    if (m_stderrTail.size() > kMaxStderrTail)
      m_stderrTail = m_stderrTail.right(kMaxStderrTail);
  });
  QProcess* process = m_process;
  connect(m_process, &QProcess::finished, this, [this, process] {
    if (process == m_process)
      Lose();
  });
  connect(m_process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError e) {
    if (e == QProcess::FailedToStart && process == m_process)
      Lose();
  });
  // Dark, like the stage, for the moment its window shows before it is withdrawn.
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("GTK_THEME"), QStringLiteral("Adwaita:dark"));
  // Chromium leaves a folder in the temporary folder at every start: it goes with the profile.
  environment.insert(QStringLiteral("TMPDIR"), m_profile.Path() + QStringLiteral("/tmp"));
  m_process->setProcessEnvironment(environment);
  m_process->start(m_executable, args);
  m_processGroup = m_process->processId();
  ::close(childReads);
  ::close(childWrites);
  m_pipe = new DevToolsPipe(fromChromium[0], toChromium[1], this);
  connect(m_pipe, &DevToolsPipe::event, this, &TShockwaveFlash::OnEvent);
  connect(m_pipe, &DevToolsPipe::broken, this, &TShockwaveFlash::Lose);
  m_pipe->Send(QStringLiteral("Target.setDiscoverTargets"),
               QJsonObject{{QStringLiteral("discover"), true}});
  m_windowSearch.start();
}

void TShockwaveFlash::StopProcess() {
  m_windowSearch.stop();
  m_pullTimer.stop();
  if (m_pipe) {
    m_pipe->disconnect(this);
    m_pipe->deleteLater();
    m_pipe = nullptr;
  }
  if (m_process) {
    m_process->disconnect(this);
    if (m_process->state() != QProcess::NotRunning) {
      m_process->terminate();
      if (!m_process->waitForFinished(2000)) {
        m_process->kill();
        m_process->waitForFinished(2000);
      }
    }
    delete m_process;
    m_process = nullptr;
  }
  // Its helpers would outlive it for a moment, writing in the profile folder.
  if (m_processGroup > 0)
    ::kill(-static_cast<pid_t>(m_processGroup), SIGKILL);
  m_processGroup = 0;
  playerwindow::Unwatch(m_window);
  m_window = 0;
}

void TShockwaveFlash::Lose() {
  if (m_state == State::Lost)
    return;
  m_state = State::Lost;
  m_shown = false;
  StopProcess();
  Q_EMIT rendererLost();
  // A new player at once, so that the next game starts fast.
  QTimer::singleShot(0, this, [this] {
    if (m_state == State::Lost)
      StartProcess();
  });
}

qint64 TShockwaveFlash::RendererProcessId() const {
  return m_process && m_process->state() == QProcess::Running ? m_process->processId() : 0;
}

void TShockwaveFlash::FindWindow() {
  const unsigned long window = playerwindow::FindProcessWindow(RendererProcessId());
  if (window == 0)
    return;
  m_windowSearch.stop();
  m_window = window;
  // Chromium maps its window again on its own (going full-screen, say).
  playerwindow::Watch(window, [this, window] {
    if ((!m_shown || m_state == State::Starting) && window == m_window)
      playerwindow::Withdraw(window);
  });
  // From the X server: the page never sees Esc and cannot make it up.
  playerwindow::TakeEscape(window, [this] {
    if (m_shown)
      Q_EMIT escapePressed();
  });
  playerwindow::SetIcon(window, QGuiApplication::windowIcon());
  playerwindow::SetCaption(window, kCaption);
  ShowPlayer(m_shown);
  Q_EMIT windowChanged(window);
}

void TShockwaveFlash::ShowPlayer(bool shown) {
  m_shown = shown;
  if (m_window == 0)
    return;
  // Until the page is in, the window would show the browser's white.
  if (shown && m_state != State::Starting) {
    // Chromium names the window after the page, adding its own name.
    playerwindow::SetCaption(m_window, kCaption);
    playerwindow::SetIcon(m_window, QGuiApplication::windowIcon());
    playerwindow::ShowFullScreen(m_window);
    FocusMovie();
  } else {
    playerwindow::Withdraw(m_window);
  }
}

void TShockwaveFlash::OnEvent(const QString& method, const QJsonObject& params,
                              const QString& session) {
  if (method == QLatin1String("Target.targetCreated")) {
    const QJsonObject info = params.value(QStringLiteral("targetInfo")).toObject();
    if (m_targetId.isEmpty() &&
        info.value(QStringLiteral("type")).toString() == QLatin1String("page"))
      Attach(info.value(QStringLiteral("targetId")).toString());
    return;
  }
  if (method == QLatin1String("Target.targetDestroyed") ||
      method == QLatin1String("Target.targetCrashed")) {
    // The window closed (a browser shortcut) or its page died: the player is gone.
    if (params.value(QStringLiteral("targetId")).toString() == m_targetId)
      Lose();
    return;
  }
  if (method == QLatin1String("Target.detachedFromTarget")) {
    if (params.value(QStringLiteral("sessionId")).toString() == m_session)
      Lose();
    return;
  }
  if (session.isEmpty() || session != m_session)
    return;
  if (method == QLatin1String("Runtime.bindingCalled")) {
    const QStringList at =
        params.value(QStringLiteral("payload")).toString().split(QLatin1Char(' '));
    if (params.value(QStringLiteral("name")).toString() == QLatin1String("quilletMenu") &&
        m_menuWorld != 0 &&
        params.value(QStringLiteral("executionContextId")).toInt() == m_menuWorld &&
        at.size() == 2 && m_shown && m_state == State::Ready) {
      const QPoint global(at[0].toInt(), at[1].toInt());
      Q_EMIT popupRequested(global);
      if (m_popupMenu)
        m_popupMenu->popup(global);
    }
  } else if (method == QLatin1String("Page.loadEventFired")) {
    PageLoaded();
  } else if (method.startsWith(QLatin1String("DOMStorage.domStorageItem"))) {
    // Only a hint that the loaded game saved: what is read is what counts.
    if (!m_game.isEmpty() && !m_pullTimer.isActive())
      m_pullTimer.start();
  } else if (method == QLatin1String("Inspector.targetCrashed")) {
    Lose();
  }
}

void TShockwaveFlash::Attach(const QString& targetId) {
  m_targetId = targetId;
  m_pipe->Send(
      QStringLiteral("Target.attachToTarget"),
      QJsonObject{{QStringLiteral("targetId"), targetId}, {QStringLiteral("flatten"), true}}, {},
      [this](const QJsonObject& result, const QString& error) {
        if (!error.isEmpty())
          return Lose();
        m_session = result.value(QStringLiteral("sessionId")).toString();
        Page(QStringLiteral("Page.enable"));
        Page(QStringLiteral("DOMStorage.enable"));
        Page(QStringLiteral("Inspector.enable"));
        Page(QStringLiteral("Emulation.setDefaultBackgroundColorOverride"),
             QJsonObject{{QStringLiteral("color"), QJsonObject{{QStringLiteral("r"), 0},
                                                               {QStringLiteral("g"), 0},
                                                               {QStringLiteral("b"), 0},
                                                               {QStringLiteral("a"), 1}}}});
        // Only a world of the program's own may ask for the menu; page script and frames cannot.
        Page(QStringLiteral("Runtime.addBinding"),
             QJsonObject{{QStringLiteral("name"), QStringLiteral("quilletMenu")},
                         {QStringLiteral("executionContextName"), kMenuWorld}});
        Page(QStringLiteral("Runtime.enable"));
        Page(QStringLiteral("Page.navigate"),
             QJsonObject{{QStringLiteral("url"), m_pageUrl.toString()}});
      });
}

int TShockwaveFlash::Page(const QString& method, const QJsonObject& params,
                          std::function<void(const QJsonObject&, const QString&)> done) {
  if (!m_pipe || m_session.isEmpty())
    return 0;
  return m_pipe->Send(method, params, m_session, std::move(done));
}

int TShockwaveFlash::Evaluate(const QString& expression, bool awaitPromise,
                              std::function<void(const QJsonObject& value)> done) {
  return Page(QStringLiteral("Runtime.evaluate"),
              QJsonObject{{QStringLiteral("expression"), expression},
                          {QStringLiteral("awaitPromise"), awaitPromise},
                          {QStringLiteral("returnByValue"), true}},
              [done](const QJsonObject& result, const QString&) {
                if (done)
                  done(result.value(QStringLiteral("result")).toObject());
              });
}

void TShockwaveFlash::PageLoaded() {
  if (m_state != State::Starting)
    return;
  // The event may still be the blank start page's, and then reach the host page while
  // it loads, or a context already gone: only the whole host page gives a verdict.
  Evaluate(QStringLiteral("location.href !== %1 || document.readyState !== 'complete' ? null : "
                          "typeof quillet === 'object' && quillet.ready()")
               .arg(Json(m_pageUrl.toString())),
           false, [this](const QJsonObject& value) {
             if (m_state != State::Starting || !value.value(QStringLiteral("value")).isBool())
               return;
             // Chromium names its window after the page once it is in.
             playerwindow::SetCaption(m_window, kCaption);
             if (value.value(QStringLiteral("value")).toBool()) {
               m_state = State::Ready;
               WatchRightClicks();
               if (m_shown)
                 ShowPlayer(true);
               Q_EMIT engineReady();
               if (m_hasMovie)
                 LoadMovieIntoPage();
             } else {
               m_state = State::Failed;
               m_failure = QStringLiteral("Ruffle could not be loaded");
               Q_EMIT engineFailed(m_failure);
             }
           });
}

void TShockwaveFlash::WatchRightClicks() {
  m_menuWorld = 0;
  Page(QStringLiteral("Page.createIsolatedWorld"),
       QJsonObject{{QStringLiteral("frameId"), m_targetId},
                   {QStringLiteral("worldName"), kMenuWorld}},
       [this](const QJsonObject& result, const QString& error) {
         if (!error.isEmpty())
           return;
         const int world = result.value(QStringLiteral("executionContextId")).toInt();
         Page(QStringLiteral("Runtime.evaluate"),
              QJsonObject{{QStringLiteral("contextId"), world},
                          {QStringLiteral("expression"),
                           QStringLiteral("addEventListener('contextmenu', (e) => { if "
                                          "(e.isTrusted) quilletMenu(Math.round(e.screenX) + "
                                          "' ' + Math.round(e.screenY)); }, true)")}},
              [this, world](const QJsonObject&, const QString& error) {
                if (error.isEmpty())
                  m_menuWorld = world;
              });
       });
}

void TShockwaveFlash::RunPageScript(const QString& script,
                                    std::function<void(const QJsonValue&)> done) {
  Evaluate(script, false, [done](const QJsonObject& value) {
    if (done)
      done(value.value(QStringLiteral("value")));
  });
}

void TShockwaveFlash::SetMovie(const QString& fullPath) {
  m_movie = fullPath;
  // Only a regular file within the bound is served, judged before any of it is read.
  const Outcome playable = IsPlayableMovieFile(fullPath);
  const QFileInfo info(fullPath);
  m_movieUrl = m_server->ServeMovie(playable && info.isFile() ? fullPath : QString());
  m_movieName = info.fileName();
  m_hasMovie = true;
  if (m_state == State::Ready)
    LoadMovieIntoPage();
  else
    Revive();
  if (!playable)
    throw FlashError(playable.Reason());
}

void TShockwaveFlash::LoadMovieIntoPage() {
  // The old player goes first, flushing its saves into storage, read for the old game.
  if (!m_game.isEmpty()) {
    Evaluate(QStringLiteral("quillet.unload()"));
    PullSaves(m_game);
  }
  // The game is the movie's file name, wherever the file is.
  const QString game = m_movieUrl.isEmpty() ? QString() : m_movieName;
  const SaveStore::Opened saves = m_saves.Open(game);
  m_game = game;
  if (!game.isEmpty())
    m_known.insert(game, saves.saves);
  QJsonObject pageSaves;
  for (auto it = saves.saves.constBegin(); it != saves.saves.constEnd(); ++it)
    pageSaves.insert(PageKey(it.key()), it.value());
  Evaluate(QStringLiteral("quillet.fill(%1, %2)")
               .arg(Json(game.isEmpty() ? QJsonObject() : pageSaves),
                    QString::number(game.isEmpty() ? 0 : saves.allowance)));
  const int load = ++m_load;
  const QJsonArray args{m_movieUrl.isEmpty() ? QString() : m_movieUrl.toString(), m_movieName,
                        m_playing};
  Evaluate(QStringLiteral("quillet.load(...%1)").arg(Json(args)), true,
           [this, load](const QJsonObject& value) {
             if (load != m_load || m_state != State::Ready)
               return;
             if (value.value(QStringLiteral("value")).toString() == QLatin1String("loaded")) {
               Q_EMIT movieLoaded();
               if (m_shown)
                 FocusMovie();
             } else {
               Q_EMIT movieFailed();
             }
           });
}

namespace {
const QString kStoredPrefix = QStringLiteral("player/");
}  // namespace

QString TShockwaveFlash::StoredKey(const QString& pageKey) const {
  const QString host = m_pageUrl.host() + QLatin1Char('/');
  const QString page = m_pageUrl.host() + m_pageUrl.path();  // "127.0.0.1/<token>/"
  if (pageKey.startsWith(page))
    return kStoredPrefix + pageKey.mid(page.size());
  if (pageKey.startsWith(host))
    return kStoredPrefix + pageKey.mid(host.size());
  return pageKey;
}

QString TShockwaveFlash::PageKey(const QString& storedKey) const {
  if (!storedKey.startsWith(kStoredPrefix))
    return storedKey;
  const QString rest = storedKey.mid(kStoredPrefix.size());
  // A local path of "/" has no page path in it.
  if (rest.startsWith(QLatin1Char('/')))
    return m_pageUrl.host() + QLatin1Char('/') + rest;
  return m_pageUrl.host() + m_pageUrl.path() + rest;
}

int TShockwaveFlash::PullSaves(const QString& game) {
  m_pullTimer.stop();
  const QJsonObject storage{{QStringLiteral("securityOrigin"), OriginOf(m_pageUrl.toString())},
                            {QStringLiteral("isLocalStorage"), true}};
  return Page(QStringLiteral("DOMStorage.getDOMStorageItems"),
              QJsonObject{{QStringLiteral("storageId"), storage}},
              [this, game](const QJsonObject& result, const QString& error) {
                if (error.isEmpty())
                  ApplySaves(game, result.value(QStringLiteral("entries")).toArray());
              });
}

void TShockwaveFlash::ApplySaves(const QString& game, const QJsonArray& entries) {
  QJsonObject now;
  for (const QJsonValue& entry : entries) {
    const QJsonArray pair = entry.toArray();
    if (pair.size() == 2)
      now.insert(StoredKey(pair[0].toString()), pair[1].toString());
  }
  QJsonObject& known = m_known[game];
  const bool inStorage = game == m_game;
  const QJsonObject storage{{QStringLiteral("securityOrigin"), OriginOf(m_pageUrl.toString())},
                            {QStringLiteral("isLocalStorage"), true}};
  for (auto it = now.constBegin(); it != now.constEnd(); ++it) {
    if (known.value(it.key()) == it.value())
      continue;
    if (m_saves.Write(game, it.key(), it.value().toString())) {
      known.insert(it.key(), it.value());
      continue;
    }
    // Refused (over the bound, or the disk failed): the storage goes back to what is kept.
    if (!inStorage)
      continue;
    const QString kept = m_saves.Read(game, it.key());
    if (kept.isNull())
      Page(QStringLiteral("DOMStorage.removeDOMStorageItem"),
           QJsonObject{{QStringLiteral("storageId"), storage},
                       {QStringLiteral("key"), PageKey(it.key())}});
    else
      Page(QStringLiteral("DOMStorage.setDOMStorageItem"),
           QJsonObject{{QStringLiteral("storageId"), storage},
                       {QStringLiteral("key"), PageKey(it.key())},
                       {QStringLiteral("value"), kept}});
  }
  for (const QString& key : known.keys()) {
    if (!now.contains(key) && m_saves.Remove(game, key))
      known.remove(key);
  }
  // The game's last read: its saves reach the disk now, not at the store's next turn.
  if (!inStorage) {
    m_known.remove(game);
    m_saves.Flush();
  }
}

Outcome TShockwaveFlash::Revive() {
  switch (m_state) {
    case State::Ready:
    case State::Starting:
      return Outcome::Ok();
    case State::Lost:
      StartProcess();
      return Outcome::Ok();
    case State::Failed: {
      const QString failure = m_failure;
      // The next call may find it working again.
      StopProcess();
      StartProcess();
      return Outcome::Failed(failure);
    }
  }
  return Outcome::Failed(m_failure);
}

void TShockwaveFlash::Play() {
  SetPlaying(true);
}

void TShockwaveFlash::Stop() {
  SetPlaying(false);
}

void TShockwaveFlash::SetPlaying(bool playing) {
  if (const Outcome revived = Revive(); !revived)
    throw FlashError(revived.Reason());
  m_playing = playing;
  if (m_state == State::Ready)
    Evaluate(playing ? QStringLiteral("quillet.play()") : QStringLiteral("quillet.stop()"));
}

void TShockwaveFlash::FocusMovie() {
  if (m_state != State::Ready)
    return;
  if (m_shown)
    Page(QStringLiteral("Page.bringToFront"));
  Evaluate(QStringLiteral("quillet.focus()"));
}
