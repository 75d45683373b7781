#include "player/playersettings.h"

#include "player/plugin/savestore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace playersettings {

// Unmapped: Loop (Ruffle always loops), Base (a Windows path), DeviceFont, EmbedMovie,
// SeamlessTabbing. Scripts stay off: the control's movies never talked to a web page.
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
      // Ruffle's hidden-movie worker is not allowed by the page; it pauses instead.
      {QStringLiteral("backgroundExecutionMode"), QStringLiteral("none")},
      {QStringLiteral("upgradeToHttps"), false},
      {QStringLiteral("preferredRenderer"), QStringLiteral("canvas")},
      {QStringLiteral("logLevel"), QStringLiteral("error")},
  };
  if (!s.bgColor.isEmpty())
    config.insert(QStringLiteral("backgroundColor"), s.bgColor);
  return config;
}

// A movie reaches only the page's origin and the game server, no other local
// service; no eval, workers, frames, plugins or forms.
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
