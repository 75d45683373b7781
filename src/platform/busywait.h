#pragma once

#include <QList>

#include <atomic>
#include <functional>

class QWidget;

// Runs work on a worker thread and waits for it on the calling (user
// interface) thread with the busy pointer showing. Meanwhile windows keep
// painting and timers keep firing, but keyboard and mouse input is dropped,
// except clicks on the widgets in exits (a window's close button). An Esc, a
// window closed by the user, or the window of an exit closing sets the flag
// work is given, and work is expected to end soon after.
class BusyWait {
 public:
  // Returns work's result.
  bool Run(const std::function<bool(const std::atomic<bool>& cancelled)>& work,
           const QList<QWidget*>& exits = {});

  // Asks the running work to stop, for input that reaches the program
  // outside Qt's events (Esc in the player); false when none runs.
  bool Cancel();

 private:
  std::atomic<bool>* m_cancelled = nullptr;
};
