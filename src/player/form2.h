#pragma once

#include <QObject>
#include <QString>

class TShockwaveFlash;

// The player window: the player process's own window, showing the running
// game full-screen through the Flash control `f`. Off the screen (and out of
// the task bar) while no game runs, and reused for every game.
class TForm2 final : public QObject {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TForm2)

 public:
  // Starts the Flash control from the program folder (ending in "/"); a movie
  // may reach gameServer. Throws FlashError when the control cannot be created.
  explicit TForm2(const QString& programFolder, const QString& gameServer = {},
                  QObject* parent = nullptr);
  ~TForm2() override;

  TShockwaveFlash* f = nullptr;

  // Shows the window over the whole screen, task bars and panels included,
  // and gives the movie the keyboard.
  void ShowMaximized();
  void hide();
  bool isVisible() const;
  // The player's X window, for the launcher to stay above it (0: none yet).
  unsigned long WindowId() const;

 Q_SIGNALS:
  // Esc pressed in the player's window.
  void escapePressed();
  // The player was lost (its process ended or its window was closed); it is
  // off the screen and a new one is on its way.
  void playerLost();
};
