#include "platform/windowsystem.h"

#include "platform/x11.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QPointer>
#include <QRect>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace windowsystem {

void PreferPlaceableWindows() {
  if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qEnvironmentVariableIsEmpty("DISPLAY"))
    return;
  // A choice of another platform than Wayland (offscreen, say) stands.
  const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
  if (chosen.isEmpty() || chosen.startsWith("wayland"))
    qputenv("QT_QPA_PLATFORM", "xcb");
}

namespace {

using x11::Atom;
using x11::Reply;
using x11::Take;

// How long the window manager gets to answer a withdrawal or a map; it
// normally takes a few milliseconds, more on a busy machine.
constexpr int kAnswerTimeoutMs = 2000;
// How long a manager that framed the window gets to hand it back to the
// root once it has let it go; weston's never does.
constexpr int kReparentTimeoutMs = 200;

constexpr std::uint32_t kWithdrawnState = 0;
constexpr std::uint32_t kNormalState = 1;

// The top-level window of a shown QWindow on the X server.
struct Target {
  xcb_connection_t* connection;
  xcb_window_t window;
  xcb_window_t root;
};

std::optional<Target> TargetOf(QWindow& window) {
  xcb_connection_t* connection = x11::QtConnection();
  if (connection == nullptr || window.handle() == nullptr || !window.isVisible())
    return std::nullopt;
  const auto id = xcb_window_t(window.winId());
  const auto tree = Take(xcb_query_tree_reply(connection, xcb_query_tree(connection, id), nullptr));
  if (!tree)
    return std::nullopt;
  return Target{connection, id, tree->root};
}

xcb_window_t Parent(const Target& t) {
  const auto tree =
      Take(xcb_query_tree_reply(t.connection, xcb_query_tree(t.connection, t.window), nullptr));
  return tree ? tree->parent : t.root;
}

Reply<xcb_get_window_attributes_reply_t> Attributes(const Target& t) {
  return Take(xcb_get_window_attributes_reply(
      t.connection, xcb_get_window_attributes(t.connection, t.window), nullptr));
}

// Whether a window manager runs: it alone may redirect the root's children.
bool WindowManagerRuns(const Target& t) {
  const auto root = Take(xcb_get_window_attributes_reply(
      t.connection, xcb_get_window_attributes(t.connection, t.root), nullptr));
  return root && (root->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT) != 0;
}

// Whether the window manager says it keeps windows on top (EWMH).
bool KeepsWindowsOnTop(const Target& t) {
  return x11::ManagerSupports(t.connection, t.root, "_NET_WM_STATE_ABOVE");
}

bool Bypassing(const Target& t) {
  const auto attributes = Attributes(t);
  return attributes && attributes->override_redirect;
}

// A window's changes, run one after another. A change that waits for the
// window manager's answer holds back the later ones while the event loop
// turns, so that none of ours sees the window halfway.
class Changes final : public QObject {
 public:
  using Step = std::function<void()>;

  static Changes& Of(QWindow& window) {
    for (QObject* child : window.children())
      if (auto* changes = dynamic_cast<Changes*>(child))
        return *changes;
    return *new Changes(&window);
  }

  // Runs change now when nothing waits, else after the waiting ones.
  void Add(Step change) {
    m_queue.push_back(std::move(change));
    if (!m_waiting)
      RunQueued();
  }

  // Within a change: runs then once answered() holds or timeoutMs have
  // passed, asking the server every few milliseconds meanwhile.
  void Await(std::function<bool()> answered, Step then, int timeoutMs = kAnswerTimeoutMs) {
    if (answered()) {
      then();
      return;
    }
    m_waiting = true;
    m_answered = std::move(answered);
    m_then = std::move(then);
    m_deadline = QDeadlineTimer(timeoutMs);
    m_poll.start();
  }

 private:
  explicit Changes(QObject* parent) : QObject(parent) {
    m_poll.setInterval(2);
    m_poll.setTimerType(Qt::PreciseTimer);
    connect(&m_poll, &QTimer::timeout, this, &Changes::Poll);
  }

  void Poll() {
    if (!m_answered() && !m_deadline.hasExpired())
      return;
    m_poll.stop();
    m_waiting = false;
    const Step then = std::exchange(m_then, nullptr);
    then();
    if (!m_waiting)
      RunQueued();
  }

  void RunQueued() {
    while (!m_waiting && !m_queue.empty()) {
      const Step change = std::move(m_queue.front());
      m_queue.pop_front();
      change();
    }
  }

  std::deque<Step> m_queue;
  bool m_waiting = false;
  std::function<bool()> m_answered;
  Step m_then;
  QDeadlineTimer m_deadline;
  QTimer m_poll;
};

template <typename Event>
void Send(const Target& t, const Event& event) {
  // Every X event is 32 bytes on the wire, whatever its structure's size.
  char wire[32] = {};
  static_assert(sizeof event <= sizeof wire);
  std::memcpy(wire, &event, sizeof event);
  xcb_send_event(t.connection, 0, t.root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY, wire);
}

void Configure(const Target& t, const QRect& geometry, bool raise) {
  std::vector<std::uint32_t> values = {std::uint32_t(geometry.x()), std::uint32_t(geometry.y()),
                                       std::uint32_t(geometry.width()),
                                       std::uint32_t(geometry.height())};
  std::uint16_t mask = XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                       XCB_CONFIG_WINDOW_HEIGHT;
  if (raise) {
    mask |= XCB_CONFIG_WINDOW_STACK_MODE;
    values.push_back(XCB_STACK_MODE_ABOVE);
  }
  xcb_configure_window(t.connection, t.window, mask, values.data());
}

// Takes the window from the window manager (ICCCM 4.1.4), then awaits its
// letting go, so that it cannot handle the window afterwards.
void Withdraw(Changes& changes, const Target& t, Changes::Step then) {
  xcb_unmap_window(t.connection, t.window);
  xcb_unmap_notify_event_t unmap = {};
  unmap.response_type = XCB_UNMAP_NOTIFY;
  unmap.event = t.root;
  unmap.window = t.window;
  Send(t, unmap);
  xcb_flush(t.connection);
  changes.Await(
      [t] {
        const std::optional<std::uint32_t> state = x11::WmState(t.connection, t.window);
        return !state || *state == kWithdrawnState;
      },
      std::move(then));
}

// Whether the manager may handle the unmapped window, read as it comes to the root anew;
// weston keeps a let-go window in its frame, where it would show nowhere.
void SetBypass(Changes& changes, const Target& t, bool bypass, const QRect& geometry,
               Changes::Step then) {
  changes.Await([t] { return Parent(t) == t.root; },
                [t, bypass, geometry, then = std::move(then)] {
                  const std::uint32_t value = bypass ? 1 : 0;
                  xcb_change_window_attributes(t.connection, t.window, XCB_CW_OVERRIDE_REDIRECT,
                                               &value);
                  xcb_reparent_window(t.connection, t.window, t.root, std::int16_t(geometry.x()),
                                      std::int16_t(geometry.y()));
                  then();
                },
                kReparentTimeoutMs);
}

// On top or below as the flags say: the manager dropped the states when it let go.
void SetInitialStates(const Target& t, Qt::WindowFlags flags) {
  std::vector<xcb_atom_t> states;
  if (flags & Qt::WindowStaysOnTopHint)
    states.push_back(Atom(t.connection, "_NET_WM_STATE_ABOVE"));
  if (flags & Qt::WindowStaysOnBottomHint)
    states.push_back(Atom(t.connection, "_NET_WM_STATE_BELOW"));
  xcb_change_property(t.connection, XCB_PROP_MODE_REPLACE, t.window,
                      Atom(t.connection, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
                      std::uint32_t(states.size()), states.data());
}

// Qt leaves "iconic" in WM_HINTS after a minimize the manager undid: ask for normal.
void SetInitialNormal(const Target& t) {
  constexpr std::uint32_t kStateHint = 1 << 1;
  std::uint32_t hints[9] = {};
  const auto reply = Take(xcb_get_property_reply(
      t.connection,
      xcb_get_property(t.connection, 0, t.window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, 9),
      nullptr));
  if (reply && reply->format == 32)
    std::memcpy(hints, xcb_get_property_value(reply.get()),
                std::min<std::size_t>(sizeof hints, xcb_get_property_value_length(reply.get())));
  hints[0] |= kStateHint;
  hints[2] = kNormalState;
  xcb_change_property(t.connection, XCB_PROP_MODE_REPLACE, t.window, XCB_ATOM_WM_HINTS,
                      XCB_ATOM_WM_HINTS, 32, 9, hints);
}

// The whole geometry as one request, measured at the window itself (static gravity).
void RequestGeometry(const Target& t, const QRect& geometry) {
  xcb_client_message_event_t message = {};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = t.window;
  message.type = Atom(t.connection, "_NET_MOVERESIZE_WINDOW");
  constexpr std::uint32_t kStaticGravity = 10;
  constexpr std::uint32_t kAllFields = 0xf << 8;
  constexpr std::uint32_t kFromApplication = 1 << 12;
  message.data.data32[0] = kStaticGravity | kAllFields | kFromApplication;
  message.data.data32[1] = std::uint32_t(geometry.x());
  message.data.data32[2] = std::uint32_t(geometry.y());
  message.data.data32[3] = std::uint32_t(geometry.width());
  message.data.data32[4] = std::uint32_t(geometry.height());
  Send(t, message);
}

// Keeps the strip above every frame, which managers restack at will, some over
// unmanaged windows; on an X connection of its own, so the program's windows see none.
class StripKeeper final : public QObject {
 public:
  // Made when the window first becomes a strip; it lives as long as the window.
  static StripKeeper& Of(QWindow& window) {
    // By type rather than findChild, which needs Q_OBJECT from Qt 6.8 on.
    for (QObject* child : window.children())
      if (auto* keeper = dynamic_cast<StripKeeper*>(child))
        return *keeper;
    return *new StripKeeper(&window);
  }

  ~StripKeeper() override {
    m_notifier.reset();
    xcb_disconnect(m_connection);
  }

  // The strip to keep on top, or none.
  void Keep(QWindow* strip) {
    m_window = strip;
    m_strip = strip != nullptr ? xcb_window_t(strip->winId()) : 0;
  }

  void SetGame(xcb_window_t game) { m_game = game; }
  xcb_window_t Game() const { return m_game; }

  // A player that crashed or closed its window counts as no game.
  bool GameShown() const {
    if (m_game == 0 || xcb_connection_has_error(m_connection) != 0)
      return false;
    const auto attributes = Take(xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, m_game), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
  }

 private:
  explicit StripKeeper(QObject* parent) : QObject(parent) {
    int screen = 0;
    m_connection = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(m_connection) != 0)
      return;
    xcb_screen_iterator_t roots = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (; roots.rem > 0 && screen > 0; --screen)
      xcb_screen_next(&roots);
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, roots.data->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_connection);
    m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection),
                                                   QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &StripKeeper::Read);
  }

  void Read() {
    bool covered = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
      // A managed window may now lie above the strip; menus and tooltips may stay there.
      const std::uint8_t type = event->response_type & 0x7f;
      if (type == XCB_MAP_NOTIFY) {
        const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
        covered |= !map->override_redirect && map->window != m_strip;
      } else if (type == XCB_CONFIGURE_NOTIFY) {
        const auto* configure = reinterpret_cast<xcb_configure_notify_event_t*>(event);
        covered |= !configure->override_redirect && configure->window != m_strip;
      }
      std::free(event);
    }
    if (covered && !m_window.isNull() && m_window->isVisible()) {
      const std::uint32_t above = XCB_STACK_MODE_ABOVE;
      xcb_configure_window(m_connection, m_strip, XCB_CONFIG_WINDOW_STACK_MODE, &above);
      xcb_flush(m_connection);
    }
  }

  xcb_connection_t* m_connection = nullptr;
  std::unique_ptr<QSocketNotifier> m_notifier;
  QPointer<QWindow> m_window;
  xcb_window_t m_strip = 0;
  xcb_window_t m_game = 0;
};

// Qt's geometry is in logical pixels; the X server's in device pixels.
QRect ToNative(const QWindow& window, const QRect& geometry) {
  const qreal ratio = window.devicePixelRatio();
  return QRect(qRound(geometry.x() * ratio), qRound(geometry.y() * ratio),
               qRound(geometry.width() * ratio), qRound(geometry.height() * ratio));
}

bool IsStrip(const QRect& geometry) {
  return geometry.top() < 0 && geometry.height() <= kMaxStripHeight;
}

void ShowAsStrip(QWindow& window, const Target& t, const QRect& geometry) {
  auto show = [&window, t, geometry] {
    Configure(t, geometry, /*raise=*/true);
    xcb_map_window(t.connection, t.window);
    xcb_flush(t.connection);
    StripKeeper::Of(window).Keep(&window);
  };
  if (Bypassing(t)) {
    show();
    return;
  }
  Changes& changes = Changes::Of(window);
  Withdraw(changes, t,
           [&changes, t, geometry, show] { SetBypass(changes, t, true, geometry, show); });
}

void GiveKeyboard(const Target& t) {
  xcb_set_input_focus(t.connection, XCB_INPUT_FOCUS_PARENT, t.window, XCB_CURRENT_TIME);
  xcb_flush(t.connection);
}

// Managers put a focused full-screen window above those kept on top (openbox, icewm,
// mutter), so over a game the launcher stays unmanaged, kept above it by the keeper.
void ShowAboveGame(const Target& t, const QRect& geometry) {
  Configure(t, geometry, /*raise=*/true);
  GiveKeyboard(t);
}

// Tells Qt where the window now is, as a manager that moves a frame does:
// Qt asked the server while the window was between parents.
void TellPosition(const Target& t) {
  const QRect at = x11::ScreenGeometry(t.connection, t.window);
  xcb_configure_notify_event_t notify = {};
  notify.response_type = XCB_CONFIGURE_NOTIFY;
  notify.event = t.window;
  notify.window = t.window;
  notify.x = std::int16_t(at.x());
  notify.y = std::int16_t(at.y());
  notify.width = std::uint16_t(at.width());
  notify.height = std::uint16_t(at.height());
  char wire[32] = {};
  std::memcpy(wire, &notify, sizeof notify);
  xcb_send_event(t.connection, 0, t.window, XCB_EVENT_MASK_STRUCTURE_NOTIFY, wire);
  xcb_flush(t.connection);
}

// then runs once the manager has taken the window on.
void ReturnToManager(
    QWindow& window, const Target& t, const QRect& geometry, Changes::Step then = [] {}) {
  StripKeeper::Of(window).Keep(nullptr);
  const bool wasActive = window.isActive();
  xcb_unmap_window(t.connection, t.window);
  Changes& changes = Changes::Of(window);
  SetBypass(changes, t, false, geometry, [&window, &changes, t, geometry, then, wasActive] {
    Configure(t, geometry, /*raise=*/false);
    SetInitialStates(t, window.flags());
    SetInitialNormal(t);
    xcb_map_window(t.connection, t.window);
    xcb_flush(t.connection);
    const bool managed = WindowManagerRuns(t);
    const auto taken = [t, managed] {
      const auto attributes = Attributes(t);
      return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
             (!managed || x11::WmState(t.connection, t.window) == kNormalState);
    };
    changes.Await(taken, [&window, t, geometry, then, wasActive] {
      // A manager places a window it takes on anew by its own rules; asked
      // again, some grant what they did not at the map.
      if (x11::ScreenGeometry(t.connection, t.window) != geometry) {
        RequestGeometry(t, geometry);
        xcb_flush(t.connection);
      }
      TellPosition(t);
      // The strip rolls down because the user reached for it. A manager that
      // focused it on taking it on has done so; asking again could take the
      // focus back from a window the user went to since.
      if (wasActive || !window.isActive())
        window.requestActivate();
      then();
    });
  });
}

}  // namespace

// Each call is one change of the window, in the order called.
void SetGeometry(QWindow& window, const QRect& geometry) {
  Changes::Of(window).Add([&window, geometry] {
    const std::optional<Target> target = TargetOf(window);
    if (!target) {
      window.setGeometry(geometry);
      return;
    }
    // Only a manager that keeps windows on top loses the strip: weston's has no place
    // above others anyway, and shows nothing of a window that turns unmanaged.
    const QRect native = ToNative(window, geometry);
    if (IsStrip(geometry) && (KeepsWindowsOnTop(*target) || !WindowManagerRuns(*target)))
      ShowAsStrip(window, *target, native);
    else if (Bypassing(*target) && StripKeeper::Of(window).GameShown())
      ShowAboveGame(*target, native);
    else if (Bypassing(*target))
      ReturnToManager(window, *target, native);
    else
      window.setGeometry(geometry);
  });
}

void SetGameWindow(QWindow& launcher, unsigned long gameWindow) {
  Changes::Of(launcher).Add([&launcher, gameWindow] {
    const std::optional<Target> target = TargetOf(launcher);
    if (!target)
      return;
    StripKeeper::Of(launcher).SetGame(xcb_window_t(gameWindow));
    const QRect geometry = x11::ScreenGeometry(target->connection, target->window);
    const bool strip = geometry.top() < 0 &&
                       geometry.height() <= qRound(kMaxStripHeight * launcher.devicePixelRatio());
    if (gameWindow == 0 && Bypassing(*target) && !strip)
      ReturnToManager(launcher, *target, geometry);
  });
}

void Activate(QWindow& window) {
  Changes::Of(window).Add([&window] {
    if (window.isActive())
      return;
    const std::optional<Target> target = TargetOf(window);
    if (target && Bypassing(*target))
      GiveKeyboard(*target);
    else
      window.requestActivate();
  });
}

void KeepPlacement(QWindow& window, const QRect& geometry) {
  Changes::Of(window).Add([&window, geometry] {
    const std::optional<Target> target = TargetOf(window);
    const QRect native = ToNative(window, geometry);
    if (!target || Bypassing(*target) || !WindowManagerRuns(*target) ||
        x11::ScreenGeometry(target->connection, target->window) == native)
      return;
    RequestGeometry(*target, native);
    xcb_flush(target->connection);
  });
}

void Minimize(QWindow& window) {
  Changes::Of(window).Add([&window] {
    const std::optional<Target> target = TargetOf(window);
    if (target && Bypassing(*target))
      ReturnToManager(window, *target, x11::ScreenGeometry(target->connection, target->window),
                      [&window] { window.showMinimized(); });
    else
      window.showMinimized();
  });
}

void ReturnKeyboardToGame(QWindow& launcher) {
  Changes::Of(launcher).Add([&launcher] {
    const std::optional<Target> target = TargetOf(launcher);
    if (!target || !launcher.isActive() || !Bypassing(*target))
      return;
    const StripKeeper& keeper = StripKeeper::Of(launcher);
    if (keeper.GameShown())
      GiveKeyboard(Target{target->connection, keeper.Game(), target->root});
  });
}

}  // namespace windowsystem
