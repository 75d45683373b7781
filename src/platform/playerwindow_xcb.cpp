#include "platform/playerwindow.h"

#include "platform/x11.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QString>

#include <vector>

namespace playerwindow {

namespace {

std::optional<std::uint32_t> Cardinal(xcb_connection_t* c, xcb_window_t window, const char* name) {
  const auto reply = x11::Take(xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, x11::Atom(c, name), XCB_ATOM_CARDINAL, 0, 1), nullptr));
  if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
    return std::nullopt;
  return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
}

xcb_window_t RootOf(xcb_connection_t* c) {
  return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

class MapWatcher final : public QAbstractNativeEventFilter {
 public:
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t")
      return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7f) {
      case XCB_MAP_NOTIFY: {
        const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
        const auto it = callbacks.constFind(map->window);
        if (it != callbacks.constEnd()) {
          const std::function<void()> callback = *it;
          callback();
        }
        return false;
      }
      case XCB_KEY_PRESS: {
        const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
        const auto it = escapes.constFind(key->event);
        if (it == escapes.constEnd())
          return false;
        const std::function<void()> callback = *it;
        callback();
        return true;
      }
      default:
        return false;
    }
  }
  QHash<xcb_window_t, std::function<void()>> callbacks;
  QHash<xcb_window_t, std::function<void()>> escapes;
};

MapWatcher* Watcher() {
  static MapWatcher* watcher = [] {
    auto* w = new MapWatcher;
    QCoreApplication::instance()->installNativeEventFilter(w);
    return w;
  }();
  return watcher;
}

}  // namespace

void Watch(unsigned long window, std::function<void()> onMapped) {
  xcb_connection_t* c = x11::QtConnection();
  if (c == nullptr || window == 0)
    return;
  Watcher()->callbacks.insert(xcb_window_t(window), std::move(onMapped));
  // Key presses too: a manager may leave the Esc grab below unused (icewm).
  const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_KEY_PRESS;
  xcb_change_window_attributes(c, xcb_window_t(window), XCB_CW_EVENT_MASK, &mask);
  xcb_flush(c);
}

void Unwatch(unsigned long window) {
  if (x11::QtConnection() == nullptr)
    return;
  Watcher()->callbacks.remove(xcb_window_t(window));
  Watcher()->escapes.remove(xcb_window_t(window));
}

namespace {

// The key code of the Esc key (keysym 0xff1b) in the server's keyboard map.
xcb_keycode_t EscapeKeyCode(xcb_connection_t* c) {
  const xcb_setup_t* setup = xcb_get_setup(c);
  const int count = setup->max_keycode - setup->min_keycode + 1;
  const auto map = x11::Take(xcb_get_keyboard_mapping_reply(
      c, xcb_get_keyboard_mapping(c, setup->min_keycode, std::uint8_t(count)), nullptr));
  if (!map)
    return 0;
  const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map.get());
  for (int i = 0; i < count * map->keysyms_per_keycode; ++i) {
    if (syms[i] == 0xff1b)
      return xcb_keycode_t(setup->min_keycode + i / map->keysyms_per_keycode);
  }
  return 0;
}

}  // namespace

void TakeEscape(unsigned long window, std::function<void()> onEscape) {
  xcb_connection_t* c = x11::QtConnection();
  if (c == nullptr || window == 0)
    return;
  Watcher()->escapes.insert(xcb_window_t(window), std::move(onEscape));
  if (const xcb_keycode_t escape = EscapeKeyCode(c))
    xcb_grab_key(c, 1, xcb_window_t(window), XCB_MOD_MASK_ANY, escape, XCB_GRAB_MODE_ASYNC,
                 XCB_GRAB_MODE_ASYNC);
  xcb_flush(c);
}

bool IsBrowserWindowOf(xcb_connection_t* c, xcb_window_t window, qint64 pid) {
  const auto attributes =
      x11::Take(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
  if (!attributes || attributes->override_redirect ||
      attributes->map_state != XCB_MAP_STATE_VIEWABLE)
    return false;
  const auto windowClass = x11::Take(xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256), nullptr));
  // Without a class it is a bubble or popup of the process, not its browser window.
  return windowClass && xcb_get_property_value_length(windowClass.get()) > 0 &&
         Cardinal(c, window, "_NET_WM_PID") == std::uint32_t(pid);
}

// The browser window below window, down to depth levels of frames.
static xcb_window_t FindBrowserWindow(xcb_connection_t* c, xcb_window_t window, qint64 pid,
                                      int depth) {
  const auto tree = x11::Take(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
  if (!tree)
    return 0;
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
    if (IsBrowserWindowOf(c, children[i], pid))
      return children[i];
    if (depth > 1) {
      if (const xcb_window_t found = FindBrowserWindow(c, children[i], pid, depth - 1))
        return found;
    }
  }
  return 0;
}

unsigned long FindProcessWindow(qint64 pid) {
  xcb_connection_t* c = x11::QtConnection();
  if (c == nullptr || pid <= 0)
    return 0;
  // Skips the process's never-mapped leader and clipboard windows; icewm holds
  // the browser window two frames down.
  return FindBrowserWindow(c, RootOf(c), pid, 3);
}

void Withdraw(unsigned long window) {
  xcb_connection_t* c = x11::QtConnection();
  if (c == nullptr || window == 0)
    return;
  xcb_unmap_window(c, xcb_window_t(window));
  // ICCCM: a synthetic UnmapNotify tells the manager the window is withdrawn.
  xcb_unmap_notify_event_t event{};
  event.response_type = XCB_UNMAP_NOTIFY;
  event.event = RootOf(c);
  event.window = xcb_window_t(window);
  xcb_send_event(c, 0, RootOf(c),
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
  xcb_flush(c);
}

void ShowFullScreen(unsigned long window) {
  xcb_connection_t* c = x11::QtConnection();
  if (c == nullptr || window == 0)
    return;
  // Black, as the empty player's stage, until the process draws again.
  const std::uint32_t black = xcb_setup_roots_iterator(xcb_get_setup(c)).data->black_pixel;
  xcb_change_window_attributes(c, xcb_window_t(window), XCB_CW_BACK_PIXEL, &black);
  // Withdrawal dropped the states; set before mapping, full screen covers every panel.
  const xcb_atom_t fullScreen = x11::Atom(c, "_NET_WM_STATE_FULLSCREEN");
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, xcb_window_t(window), x11::Atom(c, "_NET_WM_STATE"),
                      XCB_ATOM_ATOM, 32, 1, &fullScreen);
  xcb_map_window(c, xcb_window_t(window));
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = xcb_window_t(window);
  event.type = x11::Atom(c, "_NET_ACTIVE_WINDOW");
  event.data.data32[0] = 2;  // from a pager: managers honour it without focus-stealing checks
  event.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(c, 0, RootOf(c),
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
  xcb_flush(c);
}

QRect ScreenGeometry(unsigned long window) {
  xcb_connection_t* c = x11::QtConnection();
  if (c == nullptr || window == 0)
    return {};
  return x11::ScreenGeometry(c, xcb_window_t(window));
}

bool IsMapped(unsigned long window) {
  xcb_connection_t* c = x11::QtConnection();
  if (c == nullptr || window == 0)
    return false;
  const auto attributes = x11::Take(xcb_get_window_attributes_reply(
      c, xcb_get_window_attributes(c, xcb_window_t(window)), nullptr));
  return attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED;
}

void SetCaption(unsigned long window, const QString& caption) {
  xcb_connection_t* c = x11::QtConnection();
  if (c == nullptr || window == 0)
    return;
  const QByteArray utf8 = caption.toUtf8();
  for (const char* name : {"_NET_WM_NAME", "WM_NAME"})
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, xcb_window_t(window), x11::Atom(c, name),
                        x11::Atom(c, "UTF8_STRING"), 8, std::uint32_t(utf8.size()),
                        utf8.constData());
  xcb_flush(c);
}

void SetIcon(unsigned long window, const QIcon& icon) {
  xcb_connection_t* c = x11::QtConnection();
  if (c == nullptr || window == 0 || icon.isNull())
    return;
  std::vector<std::uint32_t> data;
  for (int size : {16, 32, 48}) {
    const QImage image =
        icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32).scaled(size, size);
    data.push_back(std::uint32_t(image.width()));
    data.push_back(std::uint32_t(image.height()));
    for (int y = 0; y < image.height(); ++y) {
      const auto* line = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
      data.insert(data.end(), line, line + image.width());
    }
  }
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, xcb_window_t(window), x11::Atom(c, "_NET_WM_ICON"),
                      XCB_ATOM_CARDINAL, 32, std::uint32_t(data.size()), data.data());
  xcb_flush(c);
}

}  // namespace playerwindow
