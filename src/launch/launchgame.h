#pragma once

#include <QString>

class ConfirmationPrompt;
class FileSystem;
class SystemPaths;

// The two outcomes of a launch, carried out by the player and the download.
class GameActions {
 public:
  virtual ~GameActions() = default;
  virtual void PlayGame(const QString& path) = 0;
  virtual void DownloadGame(const QString& stem) = 0;
};

struct LaunchServices {
  const SystemPaths& paths;
  const FileSystem& files;
  ConfirmationPrompt& prompt;
  GameActions& actions;
};

// The question asked when a game is on neither path.
extern const char kDownloadQuestion[];

// Plays the game's movie from the shared or else the fallback game folder,
// or offers to download it. Both paths are probed afresh on every call.
void LaunchGame(const QString& stem, const LaunchServices& services);
