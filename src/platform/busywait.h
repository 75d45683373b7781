#pragma once

#include <QList>

#include <atomic>
#include <functional>

class QWidget;

// Runs work on a worker thread while the UI thread shows the busy pointer and
// drops input except clicks on `exits`; Esc or a closed window sets `cancelled`.
class BusyWait {
 public:
  bool Run(const std::function<bool(const std::atomic<bool>& cancelled)>& work,
           const QList<QWidget*>& exits = {});

  // For input that reaches the program outside Qt (Esc in the player); false when none runs.
  bool Cancel();

 private:
  std::atomic<bool>* m_cancelled = nullptr;
};
