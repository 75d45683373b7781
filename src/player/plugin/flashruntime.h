#pragma once

#include <QObject>
#include <QString>

#include <QStandardPaths>

#include "player/flashengine.h"
#include "player/plugin/savestore.h"

class LoopbackServer;
class QWebEngineProfile;
class HostPageHandler;

// What every movie view of the process shares: the web profile that keeps
// game saves, the loopback server, and the host page. Created with the first
// view and kept until the application ends.
class FlashRuntime final : public QObject {
 public:
  // Returns nullptr and sets error when Ruffle cannot be served.
  static FlashRuntime* Get(const FlashSettings& settings, const QString& ruffleFolder,
                           QString* error);

  QWebEngineProfile* Profile() const { return m_profile; }
  LoopbackServer* Server() const { return m_server; }
  const SaveStore& Saves() const { return m_saves; }
  // The nonce that marks the host page's messages to the program.
  const QString& Nonce() const { return m_nonce; }

 private:
  FlashRuntime() = default;
  bool Init(const FlashSettings& settings, const QString& ruffleFolder, QString* error);

  QWebEngineProfile* m_profile = nullptr;
  LoopbackServer* m_server = nullptr;
  HostPageHandler* m_handler = nullptr;
  QString m_nonce;
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
