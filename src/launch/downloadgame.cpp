#include "launch/downloadgame.h"

#include "launch/gamefolders.h"
#include "platform/filesystem.h"
#include "platform/systempaths.h"

#include <cstdio>

QString GameFolder;

const char kDownloadDoneText[] = "下载完成，现在可以开始玩了！";
const char kDownloadFailedText[] = "无法连接网络，请检查是否已上网！";

namespace {

QString ChooseGameFolder(const SystemPaths& paths, FileSystem& files) {
  const QString root = paths.SystemDriveRoot();
  const QString shared = SharedGameFolder(root);
  if (files.DirectoryExists(shared)) {
    return shared;
  }
  // One level at a time: an existing "Playshare" without "pbox" falls back.
  if (files.CreateDirectory(PlayshareFolder(root))) {
    files.CreateDirectory(shared);
    return shared;
  }
  return FallbackGameFolder(paths.ProgramFolder());
}

}  // namespace

void DownloadGame(const QString& stem, const DownloadServices& services) {
  GameFolder = ChooseGameFolder(services.paths, services.files);
  const QString target = GameFolder + MovieFileName(stem);
  const QString url = GameDownloadUrl(services.serverAddress, stem);

  // One text for every kind of failure, and no retry.
  const Outcome outcome = services.downloadFile(url, target);
  if (outcome) {
    services.notice.ShowNotice(QString::fromUtf8(kDownloadDoneText));
    services.notice.EnableTimer();
  } else {
    std::fprintf(stderr, "quillet: download of %s failed: %s\n", qPrintable(url),
                 qPrintable(outcome.Reason()));
    services.notice.ShowNotice(QString::fromUtf8(kDownloadFailedText));
  }
}
