#include "launch/launchgame.h"

#include "launch/gamefolders.h"
#include "platform/filesystem.h"
#include "platform/prompt.h"
#include "platform/systempaths.h"

const char kDownloadQuestion[] = "该游戏还没有下载，现在马上下载？";

void LaunchGame(const QString& stem, const LaunchServices& services) {
  const QString sharedFile =
      SharedGameFolder(services.paths.SystemDriveRoot()) + MovieFileName(stem);
  const QString fallbackFile =
      FallbackGameFolder(services.paths.ProgramFolder()) + MovieFileName(stem);

  if (services.files.FileExists(sharedFile)) {
    services.actions.PlayGame(sharedFile);
  } else if (services.files.FileExists(fallbackFile)) {
    services.actions.PlayGame(fallbackFile);
  } else if (services.prompt.Confirm(QString::fromUtf8(kDownloadQuestion))) {
    services.actions.DownloadGame(stem);
  }
}
