#pragma once

#include <QObject>
#include <QString>

#include <QStandardPaths>

#include <memory>

#include "player/flashengine.h"
#include "player/plugin/savestore.h"

class LoopbackServer;
class QWebEngineProfile;
class HostPageHandler;

// What a movie view plays with: its web profile, the loopback server, the
// host page made from the control's settings, the script of the page's
// channel to the program, and the game saves. Each view has its own.
class FlashRuntime final : public QObject {
 public:
  // Returns nullptr and sets error when Ruffle cannot be served.
  static std::unique_ptr<FlashRuntime> Create(const FlashSettings& settings,
                                              const QString& ruffleFolder, QString* error);

  QWebEngineProfile* Profile() const { return m_profile; }
  LoopbackServer* Server() const { return m_server; }
  SaveStore& Saves() { return m_saves; }
  // Qt's qwebchannel.js and the page's side of the channel, to be run in the
  // page's isolated world.
  const QString& ChannelScript() const { return m_channelScript; }

 private:
  FlashRuntime() = default;
  bool Init(const FlashSettings& settings, const QString& ruffleFolder, QString* error);

  QWebEngineProfile* m_profile = nullptr;
  LoopbackServer* m_server = nullptr;
  HostPageHandler* m_handler = nullptr;
  QString m_channelScript;
  SaveStore m_saves{QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                    QStringLiteral("/saves/")};
};

// The one page the views show.
QString HostPageUrl();

// Registers the host page's URL scheme. Must run before the web engine
// starts (before the first profile or page exists).
void RegisterHostPageScheme();

// Environment for Chromium, set before the web engine starts: no GPU, no
// remote debugging, and no sandbox when running as root (Chromium cannot
// run one there).
void PrepareWebEngineEnvironment();
