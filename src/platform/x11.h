#pragma once

// X11 requests shared by the window code and the tests, over Qt's connection.

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QRect>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace x11 {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> Take(T* reply) {
  return Reply<T>(reply, &std::free);
}

// Qt's connection; null when the program does not run on X11.
inline xcb_connection_t* QtConnection() {
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 != nullptr ? x11->connection() : nullptr;
}

inline xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  const auto reply = Take(xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr));
  return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Whether `name` is in the window manager's _NET_SUPPORTED.
inline bool ManagerSupports(xcb_connection_t* c, xcb_window_t root, const char* name) {
  const xcb_atom_t wanted = Atom(c, name);
  const auto reply = Take(xcb_get_property_reply(
      c, xcb_get_property(c, 0, root, Atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 1024), nullptr));
  if (!reply || reply->format != 32)
    return false;
  const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
  const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
  return std::find(atoms, atoms + count, wanted) != atoms + count;
}

// ICCCM WM_STATE (0 withdrawn, 1 normal, 3 iconic); none while unmanaged.
inline std::optional<std::uint32_t> WmState(xcb_connection_t* c, xcb_window_t window) {
  const xcb_atom_t wmState = Atom(c, "WM_STATE");
  const auto reply = Take(
      xcb_get_property_reply(c, xcb_get_property(c, 0, window, wmState, wmState, 0, 2), nullptr));
  if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
    return std::nullopt;
  return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
}

// The client area on the screen; empty when the server knows no such window.
inline QRect ScreenGeometry(xcb_connection_t* c, xcb_window_t window) {
  const auto geometry = Take(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
  if (!geometry)
    return {};
  const auto origin = Take(xcb_translate_coordinates_reply(
      c, xcb_translate_coordinates(c, window, geometry->root, 0, 0), nullptr));
  if (!origin)
    return {};
  return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

}  // namespace x11
