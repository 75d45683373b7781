#include "support/realinput.h"

#include "platform/x11.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QCursor>
#include <QProcess>
#include <QTest>
#include <QWidget>

#include <atomic>
#include <cstdint>

class XEcho::Filter final : public QAbstractNativeEventFilter {
 public:
  Filter(xcb_connection_t* c, xcb_window_t window) : connection(c), window(window) {}
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    const auto* event = static_cast<const xcb_client_message_event_t*>(message);
    if (type != "xcb_generic_event_t" || (event->response_type & 0x7f) != XCB_CLIENT_MESSAGE ||
        event->window != window)
      return false;
    seen = event->data.data32[0];
    return true;
  }

  xcb_connection_t* const connection;
  const xcb_window_t window;
  std::atomic<std::uint32_t> sent{0};
  std::atomic<std::uint32_t> seen{0};
};

XEcho::XEcho() {
  xcb_connection_t* c = x11::QtConnection();
  if (c == nullptr)
    return;
  m_filter = std::make_unique<Filter>(c, xcb_generate_id(c));
  xcb_create_window(c, XCB_COPY_FROM_PARENT, m_filter->window,
                    xcb_setup_roots_iterator(xcb_get_setup(c)).data->root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
  QCoreApplication::instance()->installNativeEventFilter(m_filter.get());
}

XEcho::~XEcho() {
  if (!m_filter)
    return;
  QCoreApplication::instance()->removeNativeEventFilter(m_filter.get());
  xcb_destroy_window(m_filter->connection, m_filter->window);
  xcb_flush(m_filter->connection);
}

void XEcho::Send() {
  if (!m_filter)
    return;
  // With no event mask the server sends it to the window's maker: to us,
  // after every event it sent us before.
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = m_filter->window;
  message.data.data32[0] = ++m_filter->sent;
  xcb_send_event(m_filter->connection, 0, m_filter->window, XCB_EVENT_MASK_NO_EVENT,
                 reinterpret_cast<const char*>(&message));
  xcb_flush(m_filter->connection);
}

bool XEcho::Returned() const {
  return !m_filter || m_filter->seen == m_filter->sent;
}

void SyncWithXServer() {
  XEcho echo;
  echo.Send();
  (void)QTest::qWaitFor([&] { return echo.Returned(); }, 10000);
}

bool Xdotool(const QStringList& arguments) {
  return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

void MoveMouseTo(QPoint global) {
  // xdotool's own --sync waits long when the pointer is already there.
  Xdotool({QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())});
  // The caller checks the effect it needs, so a pointer that never arrives fails there.
  (void)QTest::qWaitFor([&] { return QCursor::pos() == global; }, 2000);
  SyncWithXServer();
}

void ClickAt(QPoint global, int button) {
  MoveMouseTo(global);
  Xdotool({QStringLiteral("click"), QString::number(button)});
  SyncWithXServer();
}

void DoubleClickAt(QPoint global) {
  MoveMouseTo(global);
  Xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
           QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
  SyncWithXServer();
}

void DragFromTo(QPoint from, QPoint to) {
  MoveMouseTo(from);
  Xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
  SyncWithXServer();
  MoveMouseTo(to);
  Xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
  SyncWithXServer();
}

void PressKey(const char* key) {
  Xdotool({QStringLiteral("key"), QString::fromLatin1(key)});
  SyncWithXServer();
}

QPoint Global(const QWidget* widget, QPoint local) {
  return widget->mapToGlobal(local);
}
