#include "platform/busywait.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QObject>

#include <atomic>
#include <thread>

bool RunWhileBusy(const std::function<bool()>& work) {
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  std::atomic<bool> done{false};
  bool result = false;
  // A posted event wakes the wait below once the work is over; it is
  // dropped with waker if it is still queued then.
  QObject waker;
  std::thread worker([&] {
    result = work();
    done.store(true);
    QMetaObject::invokeMethod(&waker, [] {}, Qt::QueuedConnection);
  });
  // Not a QEventLoop: a quit requested meanwhile would end that at once and
  // leave the worker running. The quit is still honoured by the main loop.
  while (!done.load()) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::WaitForMoreEvents);
  }
  worker.join();
  QGuiApplication::restoreOverrideCursor();
  WakeForDeferredInput();
  return result;
}
