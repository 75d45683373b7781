#include "platform/busywait.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QObject>
#include <QWidget>
#include <QWindow>

#include <thread>

namespace {

// Swallows the user's input while the wait lasts, so that nothing given
// then is acted on afterwards; Esc and closing a window ask work to stop.
class InputGate final : public QObject {
 public:
  InputGate(std::atomic<bool>& cancelled, const QList<QWidget*>& exits)
      : m_cancelled(cancelled), m_exits(exits) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
          m_cancelled.store(true);
        return true;
      case QEvent::Close:
        // Only the user's: a notice closed by its own timer stops nothing.
        if (event->spontaneous() || IsExitWindow(watched))
          m_cancelled.store(true);
        return QObject::eventFilter(watched, event);
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
        return !OnExit(watched, static_cast<const QMouseEvent*>(event));
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
      case QEvent::TabletPress:
      case QEvent::TabletRelease:
        return true;
      default:
        return QObject::eventFilter(watched, event);
    }
  }

 private:
  // The window system hands a click to the window first, then Qt to the widget.
  bool OnExit(const QObject* watched, const QMouseEvent* event) const {
    const QPoint at = event->globalPosition().toPoint();
    for (const QWidget* exit : m_exits) {
      if ((watched == exit || watched == exit->window()->windowHandle()) &&
          exit->rect().contains(exit->mapFromGlobal(at)))
        return true;
    }
    return false;
  }

  bool IsExitWindow(const QObject* watched) const {
    for (const QWidget* exit : m_exits)
      if (exit->window() == watched)
        return true;
    return false;
  }

  std::atomic<bool>& m_cancelled;
  QList<QWidget*> m_exits;
};

}  // namespace

bool BusyWait::Run(const std::function<bool(const std::atomic<bool>& cancelled)>& work,
                   const QList<QWidget*>& exits) {
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  std::atomic<bool> cancelled{false};
  std::atomic<bool> done{false};
  bool result = false;
  InputGate gate(cancelled, exits);
  m_cancelled = &cancelled;
  QCoreApplication::instance()->installEventFilter(&gate);
  // A posted event wakes the wait below once the work is over; it is
  // dropped with waker if it is still queued then.
  QObject waker;
  std::thread worker([&] {
    result = work(cancelled);
    done.store(true);
    QMetaObject::invokeMethod(&waker, [] {}, Qt::QueuedConnection);
  });
  // Not a QEventLoop: a quit requested meanwhile would end that at once and
  // leave the worker running. The quit is still honoured by the main loop.
  while (!done.load())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  worker.join();
  m_cancelled = nullptr;
  QCoreApplication::instance()->removeEventFilter(&gate);
  QGuiApplication::restoreOverrideCursor();
  return result;
}

bool BusyWait::Cancel() {
  if (m_cancelled == nullptr)
    return false;
  m_cancelled->store(true);
  return true;
}
