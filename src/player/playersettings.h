#pragma once

// Everything the player is set up with, in one place, so that it can be checked
// without starting the player process.

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <chrono>

// The control's stored settings, as the player window is created with them.
struct FlashSettings {
  QString movie = QStringLiteral("C:\\Flash\\chid.swf");
  QString wmode = QStringLiteral("Window");
  bool playing = true;
  bool loop = true;
  QString quality = QStringLiteral("High");
  QString salign;
  bool menu = false;
  QString base = QStringLiteral("E:\\Flash\\chid.swf");
  QString allowScriptAccess = QStringLiteral("always");
  QString scale = QStringLiteral("ShowAll");
  bool deviceFont = false;
  bool embedMovie = false;
  QString bgColor;
  bool seamlessTabbing = true;
};

namespace playersettings {

// ruffleUrl, where Ruffle's files are served, ends in "/".
QJsonObject RuffleConfig(const FlashSettings& settings, const QString& ruffleUrl);

// Its own scripts (nonce) and Ruffle's; fetches from its origin and gameServer, an
// origin such as "http://host:port" (anything else is left out).
QString ContentSecurityPolicy(const QString& nonce, const QString& ruffleUrl,
                              const QString& gameServer);

// The host page's template with the configuration, policy, nonce and bounds filled in.
QByteArray HostPage(const QByteArray& pageTemplate, const FlashSettings& settings,
                    const QString& ruffleUrl, const QString& nonce, const QString& gameServer);

// A movie with no first frame by then is given up; the player stays empty.
inline constexpr std::chrono::milliseconds kMovieLoadTimeout{20000};

// Anything of Ruffle's own over the movie (splash, overlays, menu, dialogs) stays hidden.
QString HiddenRuffleParts();

}  // namespace playersettings
