#pragma once

#include <QList>

#include <atomic>
#include <functional>

class QWidget;

// Runs work on a worker thread while the UI thread shows the busy pointer and
// drops input except clicks on `exits`; Esc or a closed window sets `cancelled`.
bool RunWhileBusy(const std::function<bool(const std::atomic<bool>& cancelled)>& work,
                  const QList<QWidget*>& exits = {});

// Cancels a running wait's work as Esc would; false when no wait runs.
bool CancelBusyWork();
