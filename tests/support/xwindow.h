#pragma once

// What the X server itself says of a window: where the user sees it, and the
// states the window manager gave it. Read over the application's own
// connection, without spawning a process for each look.

#include <QByteArrayList>
#include <QRect>
#include <QWidget>

// The window's outer rectangle in screen coordinates (its client area, which
// for a frameless window is all of it).
QRect XGeometry(WId window);

// The names of the atoms in an atom-list property, e.g. _NET_WM_STATE.
QByteArrayList XAtoms(WId window, const char* property);

// The ICCCM state: 1 normal, 3 iconic, 0 withdrawn or unknown.
int XWmState(WId window);

// The window that has the keyboard (the X input focus).
WId XInputFocus();

// Waits until the window's geometry has not changed for `quietMs`, and
// returns it; a window manager may answer a request in several steps.
QRect XStableGeometry(WId window, int quietMs = 200, int timeoutMs = 5000);
