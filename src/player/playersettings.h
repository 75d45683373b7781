#pragma once

// Everything the player is set up with, in one place: the control's stored
// settings, what they become in Ruffle's configuration, what of Ruffle's own
// the page hides, how long a movie may take to load, the host page's
// security policy. The control only applies them, so that they can be
// checked without starting the player process.

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

// Ruffle's configuration for the stored settings; Ruffle's files are served
// from ruffleUrl (ending in "/").
QJsonObject RuffleConfig(const FlashSettings& settings, const QString& ruffleUrl);

// What the host page may load and run: its own scripts (with the nonce),
// Ruffle's, and fetches from its own origin and the game server's (an
// origin such as "http://host:port"; anything else is left out).
QString ContentSecurityPolicy(const QString& nonce, const QString& ruffleUrl,
                              const QString& gameServer);

// The host page: its template with the configuration, the policy, the
// nonce, Ruffle's address, the parts of Ruffle it hides, the time a movie
// may take to load and the saves' bookkeeping filled in.
QByteArray HostPage(const QByteArray& pageTemplate, const FlashSettings& settings,
                    const QString& ruffleUrl, const QString& nonce, const QString& gameServer);

// A movie that has not shown its first frame by then is given up, and the
// player stays empty.
inline constexpr std::chrono::milliseconds kMovieLoadTimeout{20000};

// Style for inside Ruffle's player: anything Ruffle might show of its own
// over the movie (splash, overlays, its menu and dialogs) stays hidden.
QString HiddenRuffleParts();

}  // namespace playersettings
