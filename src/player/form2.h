#pragma once

#include <QWidget>

class QKeyEvent;
class TShockwaveFlash;

// The player window: shows the running game full-screen through the Flash
// control `f`. Created once, hidden, and reused for every game.
class TForm2 final : public QWidget {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TForm2)

 public:
  // Loads the Flash control from the program folder (ending in "/").
  // Throws FlashError when the control cannot be created.
  explicit TForm2(const QString& programFolder, QWidget* parent = nullptr);
  ~TForm2() override;

  TShockwaveFlash* f = nullptr;

  // Shows the window maximized as a borderless window was: over the whole
  // screen, task bars and panels included. Window managers grant that to a
  // full-screen window only; the launcher's strip still stays above it.
  void ShowMaximized();

  // Key preview: sees every key pressed in this window before the control,
  // also while the movie holds the keyboard.
  void FormKeyDown(QKeyEvent* event);

 Q_SIGNALS:
  void escapePressed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void RefocusMovie();
};
