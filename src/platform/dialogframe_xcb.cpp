#include "platform/dialogframe.h"

#include "platform/x11.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

using x11::Atom;

// The frame the window manager gives the window, once it has said so.
bool FrameExtents(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property,
                  QMargins* extents) {
  const auto reply = x11::Take(xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, property, XCB_ATOM_CARDINAL, 0, 4), nullptr));
  if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16)
    return false;
  const auto* v = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
  *extents = QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));  // left right top bottom
  return true;
}

void AskForCloseBoxOnly(xcb_connection_t* c, xcb_window_t window) {
  // Motif hints: flags, functions (move, close), decorations (border, caption bar).
  enum : quint32 { kFunctions = 1, kDecorations = 2, kMove = 4, kClose = 32 };
  enum : quint32 { kBorder = 2, kTitle = 8 };
  const quint32 hints[5] = {kFunctions | kDecorations, kMove | kClose, kBorder | kTitle, 0, 0};
  const xcb_atom_t motif = Atom(c, "_MOTIF_WM_HINTS");
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, motif, motif, 32, 5, hints);
}

// A hidden window dressed as a dialog and asked ahead: its answer stands for a dialog's own.
xcb_window_t g_askedAhead = 0;

// A manager that knows the request sets the property on the unmapped window; the answer
// is not waited for. Others are not asked (nothing would answer): no frame.
bool SendFrameRequest(xcb_connection_t* c, xcb_window_t window) {
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  if (!x11::ManagerSupports(c, root, "_NET_REQUEST_FRAME_EXTENTS"))
    return false;
  xcb_client_message_event_t request{};
  request.response_type = XCB_CLIENT_MESSAGE;
  request.format = 32;
  request.window = window;
  request.type = Atom(c, "_NET_REQUEST_FRAME_EXTENTS");
  xcb_send_event(c, 0, root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                 reinterpret_cast<const char*>(&request));
  xcb_flush(c);
  return true;
}

// The frame as far as the window manager has told it so far.
QMargins AskForFrameExtents(xcb_connection_t* c, xcb_window_t window) {
  if (!SendFrameRequest(c, window))
    return {};
  const xcb_atom_t extents = Atom(c, "_NET_FRAME_EXTENTS");
  QMargins frame;
  if (!FrameExtents(c, window, extents, &frame) && g_askedAhead != 0)
    FrameExtents(c, g_askedAhead, extents, &frame);
  return frame;
}

QPoint CentredInside(const QWidget& dialog, const QMargins& frame) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize outer = dialog.size().grownBy(frame);
  const QPoint corner = screen->geometry().center() - QPoint(outer.width() / 2, outer.height() / 2);
  return corner + QPoint(frame.left(), frame.top());
}

void CentreByFrame(QWidget& dialog, const QMargins& frame) {
  dialog.move(CentredInside(dialog, frame));
}

// Centres the shown dialog again by its real frame: mutter 48 answers the request with zeros.
class FrameCheck final : public QObject {
 public:
  FrameCheck(QWidget& dialog, const QMargins& assumed)
      : QObject(&dialog), m_dialog(dialog), m_assumed(assumed) {
    dialog.windowHandle()->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Expose || !m_dialog.windowHandle()->isExposed())
      return QObject::eventFilter(watched, event);
    xcb_connection_t* c = x11::QtConnection();
    QMargins frame;
    if (FrameExtents(c, xcb_window_t(m_dialog.winId()), Atom(c, "_NET_FRAME_EXTENTS"), &frame) &&
        frame != m_assumed)
      // The window's own position: a shown widget's move() places its frame.
      m_dialog.windowHandle()->setPosition(CentredInside(m_dialog, frame));
    deleteLater();
    return QObject::eventFilter(watched, event);
  }

 private:
  QWidget& m_dialog;
  QMargins m_assumed;
};

}  // namespace

void AskForDialogFrame() {
  xcb_connection_t* c = x11::QtConnection();
  if (c == nullptr || g_askedAhead != 0)
    return;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_window_t window = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
  const xcb_atom_t dialogType = Atom(c, "_NET_WM_WINDOW_TYPE_DIALOG");
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, Atom(c, "_NET_WM_WINDOW_TYPE"),
                      XCB_ATOM_ATOM, 32, 1, &dialogType);
  AskForCloseBoxOnly(c, window);
  if (SendFrameRequest(c, window))
    g_askedAhead = window;
  else
    xcb_destroy_window(c, window);
  xcb_flush(c);
}

void PrepareDialogFrame(QWidget& dialog, bool centre) {
  xcb_connection_t* c = x11::QtConnection();
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (c == nullptr || screen == nullptr)
    return;
  const xcb_window_t window = xcb_window_t(dialog.winId());
  AskForCloseBoxOnly(c, window);
  xcb_flush(c);
  if (!centre)
    return;
  const QMargins frame = AskForFrameExtents(c, window);
  CentreByFrame(dialog, frame);
  new FrameCheck(dialog, frame);
}

void BringDialogForward(QWidget& dialog) {
  // show() leaves a minimized window as it is.
  if (dialog.isMinimized())
    dialog.setWindowState(dialog.windowState() & ~Qt::WindowMinimized);
  dialog.show();
  dialog.raise();
  dialog.activateWindow();
}
