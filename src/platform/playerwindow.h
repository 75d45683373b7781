#pragma once

// The player process's window as the program handles it: found by the
// process that made it, withdrawn while no game runs, shown full-screen and
// activated for a game, and given the program's icon. One implementation per
// window system; on X11 it speaks ICCCM and EWMH over Qt's connection.

#include <QtGlobal>

#include <functional>

class QIcon;
class QRect;
class QString;

namespace playerwindow {

// The shown top-level window of process pid (0 when it has none yet).
unsigned long FindProcessWindow(qint64 pid);

// Takes the window off the screen and out of the task bar (ICCCM withdrawal).
void Withdraw(unsigned long window);

// Maps the window again, full-screen, and asks the window manager to activate it.
void ShowFullScreen(unsigned long window);

// Where the window's client area stands on the screen (empty: no such window).
QRect ScreenGeometry(unsigned long window);

// Whether the window is mapped (false also when it no longer exists).
bool IsMapped(unsigned long window);

// Calls onMapped each time the window is mapped, by its process or anyone,
// until Unwatch; the process may map its window again on its own.
void Watch(unsigned long window, std::function<void()> onMapped);
// Forgets the window's callbacks (this and TakeEscape's).
void Unwatch(unsigned long window);

// Takes the user's Esc (with any modifier) in the window from the process
// that owns it: it reaches onEscape instead. Nothing a page does can fake it.
void TakeEscape(unsigned long window, std::function<void()> onEscape);

// Sets the window's caption (ICCCM WM_NAME and EWMH _NET_WM_NAME).
void SetCaption(unsigned long window, const QString& caption);

// Sets the window's icon (EWMH _NET_WM_ICON) from the program's.
void SetIcon(unsigned long window, const QIcon& icon);

}  // namespace playerwindow
