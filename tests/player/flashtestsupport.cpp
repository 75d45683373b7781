#include "flashtestsupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include "support/testsupport.h"

QImage GrabScreen(const QWidget& widget) {
  // Let pending frames reach the X server first.
  QCoreApplication::processEvents();
  const QPoint origin = widget.mapToGlobal(QPoint(0, 0));
  return QGuiApplication::primaryScreen()
      ->grabWindow(0, origin.x(), origin.y(), widget.width(), widget.height())
      .toImage();
}

QColor ScreenPixel(const QWidget& widget, const QPoint& at) {
  return GrabScreen(widget).pixelColor(at);
}

bool Near(const QColor& a, const QColor& b, int tolerance) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance;
}

bool ShowsMotion(const QWidget& widget, int withinMs) {
  const QImage first = GrabScreen(widget);
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < withinMs) {
    QTest::qWait(100);
    if (GrabScreen(widget) != first)
      return true;
  }
  return false;
}

QString TestMovie(const char* name) {
  return BuildFolder("QUILLET_MOVIE_DIR") + QStringLiteral("/tests/") + QLatin1String(name) +
         QStringLiteral(".swf");
}
