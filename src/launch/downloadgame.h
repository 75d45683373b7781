#pragma once

#include "platform/outcome.h"

#include <QString>

#include <functional>

class FileSystem;
class SystemPaths;

// The folder chosen by the last download; empty until the first one.
extern QString GameFolder;

// The texts of the download notice.
extern const char kDownloadDoneText[];
extern const char kDownloadFailedText[];

// The download notice and its auto-close timer, as the download sees them.
class DownloadNotice {
 public:
  virtual ~DownloadNotice() = default;
  // Shows the notice without waiting for it, then sets its text.
  virtual void ShowNotice(const QString& text) = 0;
  // Arms the auto-close; a timer already running is not restarted.
  virtual void EnableTimer() = 0;
};

struct DownloadServices {
  const SystemPaths& paths;
  FileSystem& files;
  DownloadNotice& notice;
  QString serverAddress;
  // Fetches a URL into a file, blocking; succeeds when the whole file arrived.
  std::function<Outcome(const QString& url, const QString& path)> downloadFile;
};

// Chooses GameFolder, fetches the game's movie into it and reports the
// outcome in the notice, a failure's reason also on the console. Does not
// start the game.
void DownloadGame(const QString& stem, const DownloadServices& services);
