#include "platform/busywait.h"

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

// Qt's X11 backend keeps the input it skipped while waiting, but only looks
// at it again when the next X event arrives, which may be long after (a click
// would then wait for the next mouse move). A property change on one of our
// own windows is such an event, and has no other effect.
void WakeForDeferredInput() {
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr) {
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
  xcb_connection_t* connection = x11->connection();
  static const char kName[] = "_QUILLET_INPUT_WAKE";
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, sizeof kName - 1, kName), nullptr);
  if (reply == nullptr) {
    return;
  }
  // Appending nothing leaves the property as it was but still reports a change.
  xcb_change_property(connection, XCB_PROP_MODE_APPEND, target, reply->atom, XCB_ATOM_CARDINAL, 32,
                      0, nullptr);
  xcb_flush(connection);
  std::free(reply);
}
