#include "player/plugin/flashruntime.h"

#include <unistd.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <cstdio>

#include "player/playersettings.h"
#include "player/plugin/graphicspath.h"
#include "player/plugin/loopbackserver.h"

namespace {

const char kScheme[] = "quillet";

}  // namespace

// Answers quillet://player/ with the host page and nothing else.
class HostPageHandler final : public QWebEngineUrlSchemeHandler {
 public:
  HostPageHandler(QByteArray page, QObject* parent)
      : QWebEngineUrlSchemeHandler(parent), m_page(std::move(page)) {}

  void requestStarted(QWebEngineUrlRequestJob* job) override {
    const QUrl url = job->requestUrl();
    if (job->requestMethod() != "GET" || url != QUrl(HostPageUrl())) {
      job->fail(QWebEngineUrlRequestJob::UrlNotFound);
      return;
    }
    auto* buffer = new QBuffer(job);
    buffer->setData(m_page);
    buffer->open(QIODevice::ReadOnly);
    job->reply("text/html", buffer);
  }

 private:
  QByteArray m_page;
};

// Keeps the view to its own origin: the host page and the loopback server,
// plus what a movie fetches itself.
class OwnOriginInterceptor final : public QWebEngineUrlRequestInterceptor {
 public:
  OwnOriginInterceptor(QString serverBase, QObject* parent)
      : QWebEngineUrlRequestInterceptor(parent), m_serverBase(std::move(serverBase)) {}

  void interceptRequest(QWebEngineUrlRequestInfo& info) override {
    const QUrl url = info.requestUrl();
    const QString scheme = url.scheme();
    if (scheme == QLatin1String(kScheme) || scheme == QLatin1String("data") ||
        scheme == QLatin1String("blob"))
      return;
    if (url.toString().startsWith(m_serverBase))
      return;
    // Ruffle loads a movie's own requests with fetch(); nothing else leaves.
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeXhr &&
        (scheme == QLatin1String("http") || scheme == QLatin1String("https")))
      return;
    info.block(true);
  }

 private:
  QString m_serverBase;
};

QString HostPageUrl() {
  return QStringLiteral("quillet://player/");
}

void RegisterHostPageScheme() {
  if (QWebEngineUrlScheme::schemeByName(kScheme).name() == kScheme)
    return;
  QWebEngineUrlScheme scheme(kScheme);
  scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
  // Secure so that the page is a secure context; not local, since a local
  // page could not reach the loopback server.
  scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled);
  QWebEngineUrlScheme::registerScheme(scheme);
}

void PrepareWebEngineEnvironment() {
  qunsetenv("QTWEBENGINE_REMOTE_DEBUGGING");
  QByteArray flags;
  for (const QByteArray& flag : qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").split(' ')) {
    if (!flag.isEmpty() && !flag.startsWith("--remote-debugging"))
      flags += flag + ' ';
  }
  if (!flags.contains("--disable-gpu"))
    flags += "--disable-gpu";
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
  // The page checks no spelling; a folder that exists spares the engine's
  // search for dictionaries, which Qt 6.8 reports on the console.
  if (!qEnvironmentVariableIsSet("QTWEBENGINE_DICTIONARIES_PATH"))
    qputenv("QTWEBENGINE_DICTIONARIES_PATH",
            QFile::encodeName(QCoreApplication::applicationDirPath()));
  // Said once, by the first player of the process.
  if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    std::fputs("quillet: running as root, so the web engine's sandbox is off\n", stderr);
  }
}

std::unique_ptr<FlashRuntime> FlashRuntime::Create(const FlashSettings& settings,
                                                   const QString& ruffleFolder, QString* error) {
  std::unique_ptr<FlashRuntime> runtime(new FlashRuntime);
  if (!runtime->Init(settings, ruffleFolder, error))
    return nullptr;
  return runtime;
}

bool FlashRuntime::Init(const FlashSettings& settings, const QString& ruffleFolder,
                        QString* error) {
  m_server = new LoopbackServer(ruffleFolder, QByteArrayLiteral("quillet://player"), this);
  if (!m_server->Start(error))
    return false;

  QFile templateFile(QStringLiteral(":/quillet/hostpage.html"));
  if (!templateFile.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("The player's host page is missing");
    return false;
  }
  QFile webChannel(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
  QFile channel(QStringLiteral(":/quillet/channel.js"));
  if (!webChannel.open(QIODevice::ReadOnly) || !channel.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("The player's channel script is missing");
    return false;
  }
  m_channelScript = QString::fromUtf8(webChannel.readAll() + '\n' + channel.readAll());

  QByteArray bytes(16, Qt::Uninitialized);
  QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
  const QByteArray page = playersettings::HostPage(
      templateFile.readAll(), settings, m_server->RuffleUrl(), QString::fromLatin1(bytes.toHex()));

  RegisterHostPageScheme();
  if (QWebEngineUrlScheme::schemeByName(kScheme).name() != kScheme) {
    *error = QStringLiteral("The player's URL scheme could not be registered");
    return false;
  }
  PrepareWebEngineEnvironment();
  PrepareGraphics();

  // Off the record: the web engine keeps nothing on disk. Game saves are in
  // the program's own store, and nothing else the page holds needs to last;
  // whatever storage the browser gives a page (IndexedDB, caches) stays in
  // memory and goes with the process, and a second copy of the program finds
  // no profile locked by the first.
  m_profile = new QWebEngineProfile(this);
  m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
  m_profile->setSpellCheckEnabled(false);
  m_handler = new HostPageHandler(page, this);
  m_profile->installUrlSchemeHandler(kScheme, m_handler);
  m_profile->setUrlRequestInterceptor(new OwnOriginInterceptor(m_server->BaseUrl(), this));
  // No downloads: a movie or a script cannot save files.
  connect(m_profile, &QWebEngineProfile::downloadRequested, this,
          [](QWebEngineDownloadRequest* download) { download->cancel(); });
  return true;
}
