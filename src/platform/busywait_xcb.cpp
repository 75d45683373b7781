#include "platform/busywait.h"

#include "platform/x11.h"

#include <QGuiApplication>
#include <QWindow>

// Qt's X11 backend keeps the input it skipped while waiting, but only looks
// at it again when the next X event arrives, which may be long after (a click
// would then wait for the next mouse move). A property change on one of our
// own windows is such an event, and has no other effect.
void WakeForDeferredInput() {
  xcb_connection_t* connection = x11::QtConnection();
  if (connection == nullptr) {
    return;
  }
  xcb_window_t target = 0;
  const QWindowList windows = QGuiApplication::topLevelWindows();
  for (const QWindow* window : windows) {
    if (window->handle() != nullptr) {
      target = xcb_window_t(window->winId());
      break;
    }
  }
  if (target == 0) {
    return;  // no window, so no input was waiting either
  }
  const xcb_atom_t wake = x11::Atom(connection, "_QUILLET_INPUT_WAKE");
  if (wake == XCB_ATOM_NONE) {
    return;
  }
  // Appending nothing leaves the property as it was but still reports a change.
  xcb_change_property(connection, XCB_PROP_MODE_APPEND, target, wake, XCB_ATOM_CARDINAL, 32, 0,
                      nullptr);
  xcb_flush(connection);
}
