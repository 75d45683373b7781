#include "flashtestsupport.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include "platform/playerwindow.h"
#include "player/shockwaveflash.h"
#include "support/holdsfor.h"
#include "support/testsupport.h"

QImage GrabScreen(const TShockwaveFlash& flash) {
  // Let pending frames reach the X server first.
  QCoreApplication::processEvents();
  const QRect area = playerwindow::ScreenGeometry(flash.WindowId());
  return QGuiApplication::primaryScreen()
      ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
      .toImage();
}

QColor ScreenPixel(const TShockwaveFlash& flash, const QPoint& at) {
  return GrabScreen(flash).pixelColor(at);
}

bool Near(const QColor& a, const QColor& b, int tolerance) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance;
}

bool ShowsMotion(const TShockwaveFlash& flash, int withinMs) {
  const QImage first = GrabScreen(flash);
  return QTest::qWaitFor([&] { return GrabScreen(flash) != first; }, withinMs);
}

bool HoldsStill(const TShockwaveFlash& flash, int ms) {
  const QImage first = GrabScreen(flash);
  return HoldsFor([&] { return GrabScreen(flash) == first; }, ms);
}

QString TestMovie(const char* name) {
  return BuildFolder("QUILLET_MOVIE_DIR") + QStringLiteral("/tests/") + QLatin1String(name) +
         QStringLiteral(".swf");
}
