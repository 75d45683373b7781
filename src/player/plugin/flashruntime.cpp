#include "player/plugin/flashruntime.h"

#include <unistd.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <cstdio>

#include "player/plugin/graphicspath.h"
#include "player/plugin/loopbackserver.h"

namespace {

const char kScheme[] = "quillet";

// How the stored settings map onto Ruffle's configuration:
//   Movie             the movie loaded first (a path that does not exist shows nothing)
//   Playing           autoplay "on"
//   Loop              none: Ruffle always loops the main timeline, as Flash does by default
//   Quality2 "High"   quality "high"
//   SAlign            salign
//   Menu false        contextMenu "off", menu false: the program supplies the menu
//   Base              none: a Windows path means nothing here; relative URLs resolve
//                     against the host page
//   AllowScriptAccess allowScriptAccess ("always" is true)
//   Scale "ShowAll"   scale "showAll", letterbox "off" (the stage colour fills the area)
//   BGColor           backgroundColor (empty: the movie's own colour)
//   WMode "Window"    wmode "window"
//   DeviceFont, EmbedMovie, SeamlessTabbing: no meaning for Ruffle
QJsonObject RuffleConfig(const FlashSettings& s, const QString& ruffleUrl) {
  QJsonObject config{
      {QStringLiteral("publicPath"), ruffleUrl},
      {QStringLiteral("autoplay"), s.playing ? QStringLiteral("on") : QStringLiteral("off")},
      {QStringLiteral("quality"), s.quality.toLower()},
      {QStringLiteral("salign"), s.salign},
      {QStringLiteral("scale"), s.scale.left(1).toLower() + s.scale.mid(1)},
      {QStringLiteral("letterbox"), QStringLiteral("off")},
      {QStringLiteral("wmode"), s.wmode.toLower()},
      {QStringLiteral("allowScriptAccess"),
       s.allowScriptAccess.compare(QLatin1String("always"), Qt::CaseInsensitive) == 0},
      {QStringLiteral("contextMenu"), s.menu ? QStringLiteral("on") : QStringLiteral("off")},
      {QStringLiteral("menu"), s.menu},
      {QStringLiteral("splashScreen"), false},
      {QStringLiteral("preloader"), false},
      {QStringLiteral("unmuteOverlay"), QStringLiteral("hidden")},
      {QStringLiteral("warnOnUnsupportedContent"), false},
      {QStringLiteral("showSwfDownload"), false},
      {QStringLiteral("allowFullscreen"), false},
      {QStringLiteral("openUrlMode"), QStringLiteral("deny")},
      {QStringLiteral("polyfills"), false},
      {QStringLiteral("upgradeToHttps"), false},
      {QStringLiteral("preferredRenderer"), QStringLiteral("canvas")},
      {QStringLiteral("logLevel"), QStringLiteral("error")},
  };
  if (!s.bgColor.isEmpty())
    config.insert(QStringLiteral("backgroundColor"), s.bgColor);
  return config;
}

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
  if (geteuid() == 0) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    std::fputs("quillet: running as root, so the web engine's sandbox is off\n", stderr);
  }
}

FlashRuntime* FlashRuntime::Get(const FlashSettings& settings, const QString& ruffleFolder,
                                QString* error) {
  static FlashRuntime* runtime = nullptr;
  if (runtime)
    return runtime;
  auto* created = new FlashRuntime;
  if (!created->Init(settings, ruffleFolder, error)) {
    delete created;
    return nullptr;
  }
  // Lives as long as the application, like the views that use it.
  created->setParent(QCoreApplication::instance());
  runtime = created;
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
  QByteArray nonce(16, Qt::Uninitialized);
  QRandomGenerator::system()->generate(nonce.begin(), nonce.end());
  m_nonce = QString::fromLatin1(nonce.toHex());
  QByteArray page = templateFile.readAll();
  page.replace(
      "@CONFIG@",
      QJsonDocument(RuffleConfig(settings, m_server->RuffleUrl())).toJson(QJsonDocument::Compact));
  page.replace("@NONCE@", m_nonce.toLatin1());
  page.replace("@RUFFLE_URL@", m_server->RuffleUrl().toUtf8());

  RegisterHostPageScheme();
  if (QWebEngineUrlScheme::schemeByName(kScheme).name() != kScheme) {
    *error = QStringLiteral("The player's URL scheme could not be registered");
    return false;
  }
  PrepareWebEngineEnvironment();
  ChooseGraphicsPath();

  // A named profile keeps its storage on disk (game saves live in the page's
  // local storage); the default profile would forget them.
  m_profile = new QWebEngineProfile(QStringLiteral("player"), this);
  m_profile->setPersistentStoragePath(
      QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
      QStringLiteral("/webengine"));
  m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
  m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
  m_profile->setSpellCheckEnabled(false);
  m_handler = new HostPageHandler(page, this);
  m_profile->installUrlSchemeHandler(kScheme, m_handler);
  m_profile->setUrlRequestInterceptor(new OwnOriginInterceptor(m_server->BaseUrl(), this));
  // No downloads: a movie or a script cannot save files.
  connect(m_profile, &QWebEngineProfile::downloadRequested, this,
          [](QWebEngineDownloadRequest* download) { download->cancel(); });
  return true;
}
