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
// work is given, and work is expected to end soon after. Returns work's result.
bool RunWhileBusy(const std::function<bool(const std::atomic<bool>& cancelled)>& work,
                  const QList<QWidget*>& exits = {});

// Asks a running wait's work to stop, as Esc in one of the program's windows
// does; false when no wait runs.
bool CancelBusyWork();
