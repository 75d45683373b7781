// Quillet's entry: takes no command line and reads no settings.

#include "app/busydownload.h"
#include "app/program.h"
#include "app/quietconsole.h"
#include "launch/gamefolders.h"
#include "platform/errorbox.h"
#include "platform/fontwarmup.h"
#include "platform/messageboxprompt.h"
#include "platform/quitsignals.h"
#include "platform/systempaths.h"
#include "platform/windowsystem.h"
#include "player/shockwaveflash.h"
#include "uikit/artwork.h"
#include "uikit/fonts.h"

#include <QApplication>

int main(int argc, char** argv) {
  windowsystem::PreferPlaceableWindows();
  const FontConfigurationWarmUp warmUp;
  QuietenLibraryChatter();
  QApplication app(argc, argv);
  // Names the user data folder (~/.local/share/quillet). No display name:
  // Qt would add it to every caption ("Confirm — Quillet").
  QApplication::setApplicationName(QStringLiteral("quillet"));

  HostSystemPaths paths;
  MessageBoxPrompt prompt(
      [] { return SongFont(13); },
      [] { return QPixmap::fromImage(artwork::QuestionIcon(artwork::ScreenScale())); });
  Program program(ProgramEnvironment{paths, GameServerAddress(), prompt, paths.ProgramFolder(),
                                     &DownloadFileWhileBusy});
  // Ended by a signal as by a quit: the player stops, its saves are kept and
  // its profile folder goes. One that comes before the event loop runs ends it at once.
  bool quitting = false;
  CatchQuitSignals(&app, [&quitting] {
    quitting = true;
    QCoreApplication::exit(0);
  });
  try {
    program.Start();
  } catch (const FlashError& error) {
    ShowApplicationError(QString::fromUtf8(error.what()));
    return 1;
  }
  return quitting ? 0 : app.exec();
}
