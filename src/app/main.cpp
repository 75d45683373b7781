// Quillet's entry: takes no command line and reads no settings.

#include "app/busydownload.h"
#include "app/program.h"
#include "launch/gamefolders.h"
#include "platform/errorbox.h"
#include "platform/fontwarmup.h"
#include "platform/messageboxprompt.h"
#include "platform/systempaths.h"
#include "player/shockwaveflash.h"

#include <QApplication>

int main(int argc, char** argv) {
  const FontConfigurationWarmUp warmUp;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quillet"));
  QApplication::setApplicationDisplayName(QStringLiteral("Quillet"));

  HostSystemPaths paths;
  MessageBoxPrompt prompt;
  Program program(ProgramEnvironment{paths, GameServerAddress(), prompt, paths.ProgramFolder(),
                                     &DownloadFileWhileBusy});
  try {
    program.Start();
  } catch (const FlashError& error) {
    ShowApplicationError(QString::fromUtf8(error.what()));
    return 1;
  }
  return app.exec();
}
