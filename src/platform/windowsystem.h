#pragma once

// What the launcher asks of the window system beyond Qt's window flags.

class QRect;
class QWindow;

// The calls below change a window in the order they are made. One that
// awaits the window manager's answer returns first and holds back the later
// ones, so that the user interface never waits on the manager.

namespace windowsystem {

// Before the application object: XWayland where offered, as Wayland lets no window place itself.
void PreferPlaceableWindows();

// A strip (at most kMaxStripHeight rows) above the screen is taken from a window manager
// with _NET_WM_STATE_ABOVE, which would pull it down or stack a full-screen game over it.
void SetGeometry(QWindow& window, const QRect& geometry);

// The window (any program's) playing now, 0 for none. Meanwhile the launcher
// stays unmanaged also rolled down, so no manager can stack the game above it.
void SetGameWindow(QWindow& launcher, unsigned long gameWindow);

// Directly while the window is unmanaged, else through the window manager.
void Activate(QWindow& window);

// Hands an unmanaged window back first: only the window manager minimizes.
void Minimize(QWindow& window);

// Managers that saw no focus change would not give the game the keyboard on a click.
void ReturnKeyboardToGame(QWindow& launcher);

// Call once exposed: some window managers place new windows by their own policy.
void KeepPlacement(QWindow& window, const QRect& geometry);

inline constexpr int kMaxStripHeight = 3;

}  // namespace windowsystem
