#include "support/xwindow.h"

#include <QtGui/qguiapplication_platform.h>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

xcb_connection_t* Connection() {
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 != nullptr ? x11->connection() : nullptr;
}

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> Own(Reply* reply) {
  return ReplyPtr<Reply>(reply, &std::free);
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  const auto reply =
      Own(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(qstrlen(name)), name), nullptr));
  return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

}  // namespace

QRect XGeometry(WId window) {
  xcb_connection_t* c = Connection();
  if (c == nullptr)
    return {};
  const auto geometry = Own(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
  if (!geometry)
    return {};
  const auto origin = Own(xcb_translate_coordinates_reply(
      c, xcb_translate_coordinates(c, window, geometry->root, 0, 0), nullptr));
  if (!origin)
    return {};
  return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

QByteArrayList XAtoms(WId window, const char* property) {
  xcb_connection_t* c = Connection();
  QByteArrayList names;
  if (c == nullptr)
    return names;
  const auto reply = Own(xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, Atom(c, property), XCB_ATOM_ATOM, 0, 1024), nullptr));
  if (!reply || reply->format != 32)
    return names;
  const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
  for (int i = 0; i < xcb_get_property_value_length(reply.get()) / 4; ++i) {
    const auto name = Own(xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atoms[i]), nullptr));
    if (name)
      names << QByteArray(xcb_get_atom_name_name(name.get()),
                          xcb_get_atom_name_name_length(name.get()));
  }
  return names;
}

int XWmState(WId window) {
  xcb_connection_t* c = Connection();
  if (c == nullptr)
    return 0;
  const xcb_atom_t wmState = Atom(c, "WM_STATE");
  const auto reply = Own(
      xcb_get_property_reply(c, xcb_get_property(c, 0, window, wmState, wmState, 0, 2), nullptr));
  if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
    return 0;
  return int(*static_cast<const quint32*>(xcb_get_property_value(reply.get())));
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
