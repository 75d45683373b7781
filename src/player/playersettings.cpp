#include "player/playersettings.h"

#include "player/plugin/savestore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace playersettings {

// How the stored settings map onto Ruffle's configuration:
//   Movie             the movie loaded first (a path that does not exist shows nothing)
//   Playing           autoplay "on"
//   Loop              none: Ruffle always loops the main timeline, as Flash does by default
//   Quality2 "High"   quality "high"
//   SAlign            salign
//   Menu false        contextMenu "off", menu false: the program supplies the menu
//   Base              none: a Windows path means nothing here; relative URLs resolve
//                     against the host page
//   AllowScriptAccess none: a movie never runs script in the page, whatever the
//                     setting says (the Flash control talked to the program, not
//                     to a web page, so ExternalInterface and javascript: URLs
//                     reached no script); allowScriptAccess is false
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
      {QStringLiteral("allowScriptAccess"), false},
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
      // Ruffle would keep a hidden movie running from a worker, which the
      // page does not allow; it pauses then, and goes on when shown again.
      {QStringLiteral("backgroundExecutionMode"), QStringLiteral("none")},
      {QStringLiteral("upgradeToHttps"), false},
      {QStringLiteral("preferredRenderer"), QStringLiteral("canvas")},
      {QStringLiteral("logLevel"), QStringLiteral("error")},
  };
  if (!s.bgColor.isEmpty())
    config.insert(QStringLiteral("backgroundColor"), s.bgColor);
  return config;
}

// Ruffle's scripts from the loopback server, compiling its WebAssembly, its
// styles in its shadow root, and fetching from the page's own origin (Ruffle,
// the movie) and the game server only: a movie reaches no other address,
// other local services included. No eval, workers, frames, plugins, forms or
// other resources.
QString ContentSecurityPolicy(const QString& nonce, const QString& ruffleUrl,
                              const QString& gameServer) {
  QString connect = QStringLiteral("'self'");
  // An origin only: nothing in it may end the directive or add a source.
  static const QRegularExpression origin(QStringLiteral("^https?://[A-Za-z0-9.:\\[\\]-]+$"));
  if (origin.match(gameServer).hasMatch())
    connect += QLatin1Char(' ') + gameServer;
  return QStringLiteral(
             "default-src 'none'; script-src 'nonce-%1' %2 'wasm-unsafe-eval'; "
             "style-src 'unsafe-inline'; connect-src %3; base-uri 'none'; "
             "form-action 'none'")
      .arg(nonce, ruffleUrl, connect);
}

QString HiddenRuffleParts() {
  return QStringLiteral(
      "#splash-screen, #unmute-overlay, #play-button, #context-menu-overlay, "
      "#hardware-acceleration-modal, #clipboard-modal, #volume-controls-modal, "
      "#save-manager { display: none !important; }");
}

QByteArray HostPage(const QByteArray& pageTemplate, const FlashSettings& settings,
                    const QString& ruffleUrl, const QString& nonce, const QString& gameServer) {
  QByteArray page = pageTemplate;
  page.replace("@POLICY@", ContentSecurityPolicy(nonce, ruffleUrl, gameServer).toUtf8());
  page.replace("@CONFIG@",
               QJsonDocument(RuffleConfig(settings, ruffleUrl)).toJson(QJsonDocument::Compact));
  // A JavaScript string: the JSON of a one-element array, without its brackets.
  const QByteArray hidden =
      QJsonDocument(QJsonArray{HiddenRuffleParts()}).toJson(QJsonDocument::Compact);
  page.replace("@HIDDEN@", hidden.mid(1, hidden.size() - 2));
  page.replace("@LOAD_TIMEOUT_MS@", QByteArray::number(qint64(kMovieLoadTimeout.count())));
  page.replace("@SAVE_OVERHEAD@", QByteArray::number(SaveStore::kCostPerObject));
  page.replace("@NONCE@", nonce.toLatin1());
  page.replace("@RUFFLE_URL@", ruffleUrl.toUtf8());
  return page;
}

}  // namespace playersettings
