#pragma once

#include <functional>

// Runs work on a worker thread and waits for it on the calling (user
// interface) thread with the busy pointer showing. Meanwhile windows keep
// painting and timers keep firing, but no keyboard or mouse input is handled:
// it waits in the queue until work has returned. Returns work's result.
bool RunWhileBusy(const std::function<bool()>& work);

// Makes the window system hand over the input it held back during a wait.
// One implementation per window system.
void WakeForDeferredInput();
