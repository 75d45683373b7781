#pragma once

#include <atomic>
#include <functional>

// Runs work on a worker thread and waits for it on the calling (user
// interface) thread with the busy pointer showing. Meanwhile windows keep
// painting and timers keep firing, but keyboard and mouse input is dropped:
// an Esc, or a window being closed, sets the flag work is given, and work is
// expected to end soon after. Returns work's result.
bool RunWhileBusy(const std::function<bool(const std::atomic<bool>& cancelled)>& work);
