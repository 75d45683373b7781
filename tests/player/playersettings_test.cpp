// The player's settings as the web engine plugin applies them: Ruffle's
// configuration for the control's stored settings, the host page made from
// them, and the web view's attributes.

#include "player/playersettings.h"

#include <QJsonDocument>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString kRuffle = QStringLiteral("http://127.0.0.1:4711/0123abcd/ruffle/");

struct Option {
  const char* name;
  QJsonValue value;
};

class StoredSettingsInRuffle : public ::testing::TestWithParam<Option> {};

TEST_P(StoredSettingsInRuffle, BecomeRufflesOption) {
  const QJsonObject config = playersettings::RuffleConfig(FlashSettings{}, kRuffle);
  EXPECT_EQ(config.value(QLatin1String(GetParam().name)), GetParam().value) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, StoredSettingsInRuffle,
    ::testing::Values(
        Option{"publicPath", kRuffle}, Option{"autoplay", QStringLiteral("on")},
        Option{"quality", QStringLiteral("high")}, Option{"salign", QString()},
        Option{"scale", QStringLiteral("showAll")}, Option{"letterbox", QStringLiteral("off")},
        Option{"wmode", QStringLiteral("window")},
        // "always" on the original platform reached the program, not a page.
        Option{"allowScriptAccess", false}, Option{"contextMenu", QStringLiteral("off")},
        Option{"menu", false}, Option{"splashScreen", false},
        Option{"unmuteOverlay", QStringLiteral("hidden")},
        Option{"openUrlMode", QStringLiteral("deny")}, Option{"allowFullscreen", false},
        Option{"preferredRenderer", QStringLiteral("canvas")},
        // The stage's own colour unless one is set.
        Option{"backgroundColor", QJsonValue(QJsonValue::Undefined)}));

TEST(PlayerSettings, OtherStoredValuesReachRuffle) {
  FlashSettings settings;
  settings.playing = false;
  settings.menu = true;
  settings.scale = QStringLiteral("NoBorder");
  settings.bgColor = QStringLiteral("#102030");
  settings.allowScriptAccess = QStringLiteral("never");
  const QJsonObject config = playersettings::RuffleConfig(settings, kRuffle);
  EXPECT_EQ(config.value(QLatin1String("autoplay")), QStringLiteral("off"));
  EXPECT_EQ(config.value(QLatin1String("contextMenu")), QStringLiteral("on"));
  EXPECT_EQ(config.value(QLatin1String("scale")), QStringLiteral("noBorder"));
  EXPECT_EQ(config.value(QLatin1String("backgroundColor")), QStringLiteral("#102030"));
  EXPECT_EQ(config.value(QLatin1String("allowScriptAccess")), false);
}

TEST(PlayerSettings, HostPageCarriesEverySettingAndNothingUnfilled) {
  const QByteArray pageTemplate =
      "<meta content=\"@POLICY@\"><script nonce=\"@NONCE@\">config = @CONFIG@; "
      "hidden = @HIDDEN@; timeout = @LOAD_TIMEOUT_MS@; cost = @SAVE_OVERHEAD@;</script>"
      "<script nonce=\"@NONCE@\" src=\"@RUFFLE_URL@ruffle.js\"></script>";
  const QString page = QString::fromUtf8(
      playersettings::HostPage(pageTemplate, FlashSettings{}, kRuffle, QStringLiteral("feedc0de"),
                               QStringLiteral("http://127.0.0.1")));
  EXPECT_FALSE(page.contains(QRegularExpression(QStringLiteral("@[A-Z_]+@")))) << qPrintable(page);

  const QString config =
      page.section(QStringLiteral("config = "), 1).section(QLatin1Char(';'), 0, 0);
  EXPECT_EQ(QJsonDocument::fromJson(config.toUtf8()).object(),
            playersettings::RuffleConfig(FlashSettings{}, kRuffle));
  EXPECT_TRUE(page.contains(QStringLiteral("timeout = 20000;")));
  EXPECT_TRUE(page.contains(QStringLiteral("#hardware-acceleration-modal")));
  EXPECT_EQ(page.count(QStringLiteral("nonce=\"feedc0de\"")), 2);
  EXPECT_TRUE(page.contains(QStringLiteral("src=\"") + kRuffle + QStringLiteral("ruffle.js\"")));
}

TEST(PlayerSettings, PolicyRunsOnlyThePagesAndRufflesScripts) {
  const QString policy = playersettings::ContentSecurityPolicy(QStringLiteral("n0nce"), kRuffle,
                                                               QStringLiteral("http://127.0.0.1"));
  const QString scripts = policy.section(QStringLiteral("script-src "), 1).section(u';', 0, 0);
  EXPECT_EQ(scripts,
            QStringLiteral("'nonce-n0nce' ") + kRuffle + QStringLiteral(" 'wasm-unsafe-eval'"));
  EXPECT_TRUE(policy.startsWith(QStringLiteral("default-src 'none'")));
  for (const char* open :
       {"'unsafe-eval'", "'unsafe-inline' 'nonce", "worker-src", "frame-src", "child-src", "*"})
    EXPECT_FALSE(policy.contains(QLatin1String(open))) << open;
}

// A movie fetches from its own origin and the game server's only: no other
// port of 127.0.0.0/8, and nothing a malformed server address could add.
TEST(PlayerSettings, AMovieReachesOnlyItsOwnOriginAndTheGameServer) {
  const struct {
    const char* server;
    const char* connect;
  } rows[] = {
      {"http://127.0.0.1", "'self' http://127.0.0.1"},
      {"http://games.example:8080", "'self' http://games.example:8080"},
      {"", "'self'"},
      {"http://x; script-src *", "'self'"},
      {"http://x *", "'self'"},
  };
  for (const auto& row : rows) {
    const QString policy = playersettings::ContentSecurityPolicy(QStringLiteral("n0nce"), kRuffle,
                                                                 QString::fromUtf8(row.server));
    EXPECT_EQ(policy.section(QStringLiteral("connect-src "), 1).section(u';', 0, 0),
              QString::fromUtf8(row.connect))
        << row.server;
    EXPECT_EQ(policy.count(QStringLiteral("script-src")), 1) << row.server;
  }
}

}  // namespace
