// A control in a process of its own, for what needs a separate process: a
// restart of the program (game saves) and measuring start-up.
//   flash_probe <program folder> <movie> [x y [hold-ms]]
// Prints "loaded" or "failed", then "pixel R G B" for the point (x, y) of the
// movie's 400x300 stage once the movie has shown for a moment. Exits 0 when
// loaded.

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <cstdio>

#include "platform/playerwindow.h"
#include "player/shockwaveflash.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 3) {
    std::fputs("usage: flash_probe <program folder> <movie> [x y]\n", stderr);
    return 2;
  }
  const QPoint probe = args.size() >= 5 ? QPoint(args[3].toInt(), args[4].toInt()) : QPoint(5, 5);
  TShockwaveFlash flash(args[1]);
  flash.ShowPlayer(true);
  QSignalSpy loaded(&flash, &TShockwaveFlash::movieLoaded);
  QSignalSpy failed(&flash, &TShockwaveFlash::movieFailed);
  flash.SetMovie(args[2]);
  flash.Play();
  QElapsedTimer clock;
  clock.start();
  while (loaded.isEmpty() && failed.isEmpty() && clock.elapsed() < 60000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  if (loaded.isEmpty()) {
    std::puts("failed");
    return 1;
  }
  std::puts("loaded");
  std::fflush(stdout);
  // Let a few frames reach the screen before reading it, and read it before
  // another copy's window can cover it; then stay for the rest of the hold.
  const int hold = args.size() >= 6 ? args[5].toInt() : 1000;
  QTimer::singleShot(std::min(hold, 1000), &app, [&] {
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QRect area = playerwindow::ScreenGeometry(flash.WindowId());
    const double scale = std::min(area.width() / 400.0, area.height() / 300.0);
    const QColor c =
        screen.pixelColor(area.x() + int((area.width() - 400 * scale) / 2 + probe.x() * scale),
                          area.y() + int((area.height() - 300 * scale) / 2 + probe.y() * scale));
    std::printf("pixel %d %d %d\n", c.red(), c.green(), c.blue());
    std::fflush(stdout);
  });
  QTimer::singleShot(hold, &app, &QCoreApplication::quit);
  app.exec();
  return 0;
}
