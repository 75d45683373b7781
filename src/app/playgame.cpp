#include "app/playgame.h"

#include "launcher/form1.h"
#include "platform/errorbox.h"
#include "platform/prompt.h"
#include "platform/windowsystem.h"
#include "player/form2.h"
#include "player/shockwaveflash.h"

#include <QAction>
#include <QWindow>

const char kQuitQuestion[] = "确定要退出游戏吗？";
const char kIdleMovie[] = "C:\\Flash\\chid.swf";

namespace {

// A Flash control error skips the handler's remaining steps and shows in the error box.
template <typename Steps>
void RunHandler(Steps steps) {
  try {
    steps();
  } catch (const FlashError& error) {
    ShowErrorBox(QString::fromUtf8(error.what()));
  }
}

void QuitGame(const GameWindows& windows, bool resetMovie) {
  RunHandler([&] {
    windows.player.f->Stop();
    if (resetMovie)
      windows.player.f->SetMovie(QString::fromUtf8(kIdleMovie));
    windows.player.hide();
    windows.launcher.C1->setEnabled(false);
    KeepLauncherAboveGame(windows);
  });
}

bool ConfirmQuit(const GameWindows& windows) {
  return windows.prompt.Confirm(QString::fromUtf8(kQuitQuestion));
}

}  // namespace

void KeepLauncherAboveGame(const GameWindows& windows) {
  if (QWindow* launcher = windows.launcher.windowHandle())
    windowsystem::SetGameWindow(*launcher,
                                windows.player.isVisible() ? windows.player.WindowId() : 0);
}

void PlayGame(const QString& path, const GameWindows& windows) {
  RunHandler([&] {
    windows.launcher.RollUp();
    windows.launcher.C1->setEnabled(true);
    windows.player.ShowMaximized();
    KeepLauncherAboveGame(windows);
    windows.player.f->SetMovie(path);
    windows.player.f->FocusMovie();
    windows.player.f->Play();
  });
}

void QuitGameFromLauncher(const GameWindows& windows) {
  if (ConfirmQuit(windows))
    QuitGame(windows, /*resetMovie=*/true);
}

void QuitGameFromMenu(const GameWindows& windows) {
  QuitGame(windows, /*resetMovie=*/true);
}

void QuitGameFromPlayer(const GameWindows& windows) {
  if (ConfirmQuit(windows))
    QuitGame(windows, /*resetMovie=*/false);
}
