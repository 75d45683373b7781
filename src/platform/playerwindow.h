#pragma once

// The player process's window: withdrawn while no game runs, full-screen for one.

#include <QtGlobal>

#include <functional>

class QIcon;
class QRect;
class QString;

namespace playerwindow {

// The shown top-level window of process pid (0 when it has none yet).
unsigned long FindProcessWindow(qint64 pid);

void Withdraw(unsigned long window);

void ShowFullScreen(unsigned long window);

// The client area on the screen; empty when there is no such window.
QRect ScreenGeometry(unsigned long window);

// False also when the window no longer exists.
bool IsMapped(unsigned long window);

// Each time, until Unwatch: the process may map its window again on its own.
void Watch(unsigned long window, std::function<void()> onMapped);
// Forgets both Watch's and TakeEscape's callbacks.
void Unwatch(unsigned long window);

// Esc (any modifier) reaches onEscape instead of the process: no page can fake it.
void TakeEscape(unsigned long window, std::function<void()> onEscape);

void SetCaption(unsigned long window, const QString& caption);

void SetIcon(unsigned long window, const QIcon& icon);

}  // namespace playerwindow
