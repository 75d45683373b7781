#pragma once

#include <functional>

class QObject;

// Turns SIGTERM, SIGINT and SIGHUP into a call of onSignal on the event loop's
// thread, so that the program ends as after a normal quit. Signals ignored
// when the program started stay ignored. Call once.
void CatchQuitSignals(QObject* context, std::function<void()> onSignal);
