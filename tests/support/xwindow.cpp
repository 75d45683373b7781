#include "support/xwindow.h"

#include "platform/x11.h"

#include <QElapsedTimer>
#include <QTest>

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

QRect XStableGeometry(WId window, int quietMs, int timeoutMs) {
  QElapsedTimer total;
  total.start();
  QRect last = XGeometry(window);
  QElapsedTimer quiet;
  quiet.start();
  while (quiet.elapsed() < quietMs && total.elapsed() < timeoutMs) {
    QTest::qWait(5);
    const QRect now = XGeometry(window);
    if (now != last) {
      last = now;
      quiet.restart();
    }
  }
  return last;
}
