#pragma once

#include <QString>

class ConfirmationPrompt;
class TForm1;
class TForm2;

// The windows a game passes through: the launcher rolls up and offers the
// quit item, the player window shows the movie.
struct GameWindows {
  TForm1& launcher;
  TForm2& player;
  ConfirmationPrompt& prompt;
};

// The question before a game is quit by Esc.
extern const char kQuitQuestion[];
// What the control is left holding after a quit from the launcher.
extern const char kIdleMovie[];

// Names the game's window (none while the player is hidden) so the launcher stays above.
void KeepLauncherAboveGame(const GameWindows& windows);

// Plays a movie file full-screen, in place of any game already running.
void PlayGame(const QString& path, const GameWindows& windows);

// Esc in the launcher: asks, then stops, resets the movie, hides the player.
void QuitGameFromLauncher(const GameWindows& windows);
// The launcher's menu item: the same without a question.
void QuitGameFromMenu(const GameWindows& windows);
// Esc in the player: asks, then stops and hides the player, keeping the movie.
void QuitGameFromPlayer(const GameWindows& windows);
