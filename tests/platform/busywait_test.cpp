// The wait for a download: the windows live on, the pointer is busy, user
// input is dropped (Esc stopping the transfer is tested with the download).

#include "platform/busywait.h"
#include "support/holdsfor.h"
#include "support/realinput.h"
#include "support/testsupport.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPushButton>
#include <QSemaphore>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <cstdlib>

namespace {

class PaintCounter final : public QWidget {
 public:
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override { ++paints; }
};

TEST(BusyWait, WindowsPaintAndTimersFireWithTheBusyPointer) {
  PaintCounter window;
  window.resize(200, 100);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.paints > 0; }));
  window.paints = 0;

  int ticks = 0;
  bool busyAtEveryTick = true;
  // The work lasts until the windows have ticked and painted enough.
  QSemaphore enough;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, &window, [&] {
    ++ticks;
    const QCursor* cursor = QGuiApplication::overrideCursor();
    busyAtEveryTick = busyAtEveryTick && cursor && cursor->shape() == Qt::WaitCursor;
    window.update();
    if (ticks >= 5 && window.paints >= 3 && enough.available() == 0)
      enough.release();
  });
  timer.start(50);
  const bool result =
      BusyWait().Run([&](const std::atomic<bool>&) { return enough.tryAcquire(1, 10000); });
  timer.stop();

  EXPECT_TRUE(result);
  EXPECT_GE(ticks, 5);
  EXPECT_TRUE(busyAtEveryTick);
  EXPECT_GE(window.paints, 3);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the pointer is restored";
}

TEST(BusyWait, ReturnsTheWorksResult) {
  BusyWait busy;
  EXPECT_FALSE(busy.Run([](const std::atomic<bool>&) { return false; }));
  EXPECT_TRUE(busy.Run([](const std::atomic<bool>&) { return true; }));
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(BusyWait, ClickDuringTheWaitIsDroppedNotReplayed) {
  QPushButton button(QStringLiteral("another game"));
  button.setGeometry(300, 300, 160, 40);
  button.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
  SyncWithXServer();
  std::atomic<bool> working{false};
  int clicksDuringWait = 0;
  int clicks = 0;
  QObject::connect(&button, &QPushButton::clicked, &button, [&] {
    ++clicks;
    clicksDuringWait += working ? 1 : 0;
  });
  const QPoint at = button.mapToGlobal(button.rect().center());
  const QByteArray click = "xdotool mousemove " + QByteArray::number(at.x()) + ' ' +
                           QByteArray::number(at.y()) + " click 1";

  XEcho echo;
  const bool clicked = BusyWait().Run([&](const std::atomic<bool>&) {
    working = true;
    // The X server has the click once xdotool returns; the wait handles it,
    // which must drop it, before our echo.
    const bool sent = std::system(click.constData()) == 0;
    echo.Send();
    const bool handled = QTest::qWaitFor([&] { return echo.Returned(); }, 10000);
    working = false;
    return sent && handled;
  });
  ASSERT_TRUE(clicked);
  EXPECT_EQ(clicksDuringWait, 0);
  // Clicked for real afterwards, the button counts that click only.
  ASSERT_EQ(std::system(click.constData()), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return clicks > 0; }, 5000));
  EXPECT_TRUE(HoldsFor([&] { return clicks == 1; }, 200))
      << clicks << " clicks: the click given during the wait was replayed";
}

}  // namespace
