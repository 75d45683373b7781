#pragma once

#include <QObject>
#include <QString>

class TShockwaveFlash;

// The player process's own window, showing the game full-screen through the Flash
// control `f`; off the screen while no game runs, and reused for every game.
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

  // Over task bars and panels too, with the keyboard on the movie.
  void ShowMaximized();
  void hide();
  bool isVisible() const;
  // The player's X window, for the launcher to stay above it (0: none yet).
  unsigned long WindowId() const;

 Q_SIGNALS:
  void escapePressed();
  // Its process ended or its window closed; a new player is on its way.
  void playerLost();
};
