#pragma once

// What the launcher asks of the window system beyond Qt's window flags: its
// geometry in one change, also as a strip that sticks out above the top of
// the screen and stays above every other window. One implementation per
// window system; on X11 it speaks EWMH and ICCCM to the window manager.

class QRect;
class QWindow;

// The calls below change a window in the order they are made. One that
// awaits the window manager's answer returns first and holds back the later
// ones, so that the user interface never waits on the manager.

namespace windowsystem {

// Called before the application object is made. On a Wayland desktop that
// also offers X11 (XWayland), chooses X11, where a window may place itself
// and stay on top; Wayland lets a window do neither.
void PreferPlaceableWindows();

// Moves and resizes the shown top-level `window` in one change.
//
// A strip of at most kMaxStripHeight rows that reaches above the screen's top
// edge is taken from the window manager's care: managers keep some rows of
// every window they manage on the screen, and put a full-screen window above
// the windows kept on top, so none would show such a strip over a game. The
// strip is then stacked above every managed window, full-screen ones
// included. This needs a manager that keeps windows on top at all (EWMH
// _NET_WM_STATE_ABOVE); under one without, the strip stays in its care, as
// far down as it pushes it.
//
// Any other geometry is asked of the window manager, which may keep the
// window within the screen; a window that was a strip comes back under its
// care, on top as its flags say, and is activated (over a game, see
// SetGameWindow).
void SetGeometry(QWindow& window, const QRect& geometry);

// Tells the window system which window (any X window, ours or another
// program's) plays a game now; 0 when none. While it is shown, the launcher
// stays out of the window manager's care also rolled down, so that no
// manager can stack the game above it, and takes the keyboard from
// Activate. Ending the game hands a rolled-down launcher back to the manager.
void SetGameWindow(QWindow& launcher, unsigned long gameWindow);

// Gives `window` the keyboard: through the window manager, or directly
// while the window is out of its care.
void Activate(QWindow& window);

// Minimizes `window`, handing it back to the window manager first if it is
// out of its care: only the manager minimizes.
void Minimize(QWindow& window);

// The mouse left the launcher: a keyboard it took over a game goes back to
// the game. Managers that saw no focus change would not move it on a click.
void ReturnKeyboardToGame(QWindow& launcher);

// Asks once more for `geometry` when the window manager put the newly shown
// `window` elsewhere: some place new windows by their own policy whatever
// position the window asked for. Call once the window is exposed.
void KeepPlacement(QWindow& window, const QRect& geometry);

inline constexpr int kMaxStripHeight = 3;

}  // namespace windowsystem
