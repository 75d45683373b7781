#include "support/xwindow.h"

#include "platform/x11.h"
#include "support/holdsfor.h"

#include <QElapsedTimer>

using x11::Atom;
using x11::Take;

QRect XGeometry(WId window) {
  xcb_connection_t* c = x11::QtConnection();
  return c != nullptr ? x11::ScreenGeometry(c, xcb_window_t(window)) : QRect();
}

QByteArrayList XAtoms(WId window, const char* property) {
  xcb_connection_t* c = x11::QtConnection();
  QByteArrayList names;
  if (c == nullptr)
    return names;
  const auto reply = Take(xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, Atom(c, property), XCB_ATOM_ATOM, 0, 1024), nullptr));
  if (!reply || reply->format != 32)
    return names;
  const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
  for (int i = 0; i < xcb_get_property_value_length(reply.get()) / 4; ++i) {
    const auto name = Take(xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atoms[i]), nullptr));
    if (name)
      names << QByteArray(xcb_get_atom_name_name(name.get()),
                          xcb_get_atom_name_name_length(name.get()));
  }
  return names;
}

int XWmState(WId window) {
  xcb_connection_t* c = x11::QtConnection();
  return c != nullptr ? int(x11::WmState(c, xcb_window_t(window)).value_or(0)) : 0;
}

WId XInputFocus() {
  xcb_connection_t* c = x11::QtConnection();
  if (c == nullptr)
    return 0;
  const auto reply = Take(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  return reply ? WId(reply->focus) : 0;
}

QRect XStableGeometry(WId window, int quietMs, int timeoutMs) {
  QElapsedTimer total;
  total.start();
  QRect last = XGeometry(window);
  while (!HoldsFor([&] { return XGeometry(window) == last; }, quietMs) &&
         total.elapsed() < timeoutMs)
    last = XGeometry(window);
  return last;
}
