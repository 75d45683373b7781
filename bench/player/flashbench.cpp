// Measures, each run in a fresh process so that the web engine starts cold:
//   ready   from creating the control to Ruffle being loaded in its page;
//   frame   from SetMovie + Play to the movie's first frame on the screen;
//   memory  resident size of the program and of its web engine processes
//           while the movie plays;
//   flood   with a flood movie given: from SetMovie + Play to the movie's
//           first frame after the flood movie saved as much as it could for
//           5 s (the runs share one user data folder, so later runs also
//           start with what earlier floods left); -1 when it did not show
//           within 60 s.
// Prints the median of the runs.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "player/shockwaveflash.h"

namespace {

// A memory figure of a process in kB from /proc: "VmRSS:" from status, or
// "Pss:" (shared pages divided among their users) from smaps_rollup.
qint64 MemoryKb(qint64 pid, const char* file, const QByteArray& field) {
  QFile status(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(file)));
  if (!status.open(QIODevice::ReadOnly))
    return 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith(field))
      return line.mid(field.size()).trimmed().split(' ').value(0).toLongLong();
  return 0;
}
qint64 ResidentKb(qint64 pid) {
  return MemoryKb(pid, "status", "VmRSS:");
}
qint64 ProportionalKb(qint64 pid) {
  return MemoryKb(pid, "smaps_rollup", "Pss:");
}

// The web engine's helper processes started by this process (and theirs).
QList<qint64> EngineProcesses(qint64 root) {
  QList<qint64> found;
  QList<qint64> parents{root};
  const QStringList all = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
  while (!parents.isEmpty()) {
    const qint64 parent = parents.takeFirst();
    for (const QString& entry : all) {
      bool numeric = false;
      const qint64 pid = entry.toLongLong(&numeric);
      QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
      if (!numeric || !stat.open(QIODevice::ReadOnly))
        continue;
      const QByteArray text = stat.readAll();
      const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
      if (fields.value(1).toLongLong() == parent) {
        found << pid;
        parents << pid;
      }
    }
  }
  return found;
}

// Waits until the screen's corner shows the movie's stage colour (0x202020)
// where it showed another colour before; returns the time, or -1.
qint64 WaitForStage(const QElapsedTimer& clock, const QColor& before) {
  const QColor stage(0x20, 0x20, 0x20);
  while (clock.elapsed() < 60000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const QColor corner =
        QGuiApplication::primaryScreen()->grabWindow(0, 2, 2, 1, 1).toImage().pixelColor(0, 0);
    if (corner == stage && before != stage)
      return clock.elapsed();
  }
  return -1;
}

double Median(QList<double> values) {
  std::sort(values.begin(), values.end());
  const qsizetype n = values.size();
  return n == 0 ? 0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

// One measurement in this process; prints "ready frame programKb engineKb".
// idleMs: how long the control waits, ready, before the movie is set (the
// program creates it at start-up, long before the first game).
int MeasureOnce(const QString& programFolder, const QString& movie, int idleMs,
                const QString& flood) {
  QElapsedTimer clock;
  clock.start();
  TShockwaveFlash flash(programFolder, nullptr);
  flash.setWindowFlag(Qt::FramelessWindowHint);
  flash.setGeometry(0, 0, 400, 300);
  flash.show();
  bool ready = false;
  QObject::connect(&flash, &TShockwaveFlash::engineReady, &flash, [&] { ready = true; });
  while (!ready && clock.elapsed() < 60000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  const qint64 readyMs = clock.elapsed();
  clock.restart();
  while (clock.elapsed() < idleMs)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);

  // The first frame: the screen shows the movie's stage colour (0x202020).
  const QImage before = QGuiApplication::primaryScreen()->grabWindow(0, 0, 0, 400, 300).toImage();
  clock.restart();
  flash.SetMovie(movie);
  flash.Play();
  const qint64 frameMs = WaitForStage(clock, before.pixelColor(2, 2));

  // A second movie in the same control, with Ruffle already compiled.
  bool emptied = false;
  QObject::connect(&flash, &TShockwaveFlash::movieFailed, &flash, [&] { emptied = true; });
  flash.SetMovie(QString());
  clock.restart();
  // Until the empty player shows: the old movie's stage can linger a while.
  const auto corner = [] {
    return QGuiApplication::primaryScreen()->grabWindow(0, 2, 2, 1, 1).toImage().pixelColor(0, 0);
  };
  while ((!emptied || clock.elapsed() < 300 || corner() == QColor(0x20, 0x20, 0x20)) &&
         clock.elapsed() < 10000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  const QColor empty = corner();
  clock.restart();
  flash.SetMovie(movie);
  flash.Play();
  const qint64 secondMs = WaitForStage(clock, empty);

  // Memory after the movie has played for a while.
  clock.restart();
  while (clock.elapsed() < 3000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  qint64 engineKb = 0, enginePssKb = 0;
  for (qint64 pid : EngineProcesses(QCoreApplication::applicationPid())) {
    engineKb += ResidentKb(pid);
    enginePssKb += ProportionalKb(pid);
  }
  const qint64 self = QCoreApplication::applicationPid();
  const qint64 programKb = ResidentKb(self), programPssKb = ProportionalKb(self);

  // The movie again after another flooded its saves.
  qint64 afterFloodMs = 0;
  if (!flood.isEmpty()) {
    flash.SetMovie(flood);
    flash.Play();
    clock.restart();
    while (clock.elapsed() < 5000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const QColor flooding =
        QGuiApplication::primaryScreen()->grabWindow(0, 2, 2, 1, 1).toImage().pixelColor(0, 0);
    clock.restart();
    flash.SetMovie(movie);
    flash.Play();
    afterFloodMs = WaitForStage(clock, flooding);
  }
  std::printf("%lld %lld %lld %lld %lld %lld %lld %lld\n", static_cast<long long>(readyMs),
              static_cast<long long>(frameMs), static_cast<long long>(secondMs),
              static_cast<long long>(programKb), static_cast<long long>(engineKb),
              static_cast<long long>(programPssKb), static_cast<long long>(enginePssKb),
              static_cast<long long>(afterFloodMs));
  return frameMs < 0 || secondMs < 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList args = app.arguments();
  const qsizetype onceAt = args.indexOf(QStringLiteral("--once"));
  const bool once = onceAt > 0;
  const int idleMs = once ? args.value(onceAt + 1).toInt() : 0;
  const QString onceFlood = once ? args.value(onceAt + 2) : QString();
  if (once)
    args = args.mid(0, onceAt);
  if (args.size() < 3) {
    std::fputs("usage: flash_bench <program folder> <movie> [runs [flood movie]]\n", stderr);
    return 2;
  }
  if (once)
    return MeasureOnce(args[1], args[2], idleMs, onceFlood);

  const int runs = args.size() > 3 ? args[3].toInt() : 5;
  // The flood movie saves for as long as it runs when its name says "flood".
  QTemporaryDir floodDir;
  QString flood;
  if (args.size() > 4) {
    flood = floodDir.filePath(QStringLiteral("flood.swf"));
    if (!QFile::copy(args[4], flood)) {
      std::fprintf(stderr, "cannot copy %s\n", qPrintable(args[4]));
      return 2;
    }
  }
  QList<double> ready, frame, afterIdle, second, programMb, engineMb, programPssMb, enginePssMb,
      afterFlood;
  QTemporaryDir data;  // a fresh user data folder, shared by the runs
  // One run in a fresh process; returns its figures, or nothing on failure.
  auto measure = [&](int idle) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {args[1], args[2], QStringLiteral("--once"), QString::number(idle), flood});
    if (!child.waitForFinished(120000) || child.exitCode() != 0) {
      std::fprintf(stderr, "exit %d: %s\n", child.exitCode(),
                   child.readAllStandardError().right(600).constData());
      return QList<double>();
    }
    QList<double> values;
    for (const QByteArray& v : child.readAllStandardOutput().trimmed().split(' '))
      values << v.toDouble();
    return values;
  };
  // A run that fails (a child that timed out or crashed) is tried once more.
  auto measureTwice = [&](int idle) {
    QList<double> values = measure(idle);
    if (values.size() != 8) {
      std::fputs("a run failed; trying it again\n", stderr);
      values = measure(idle);
    }
    return values;
  };
  for (int i = 0; i < runs; ++i) {
    const QList<double> v = measureTwice(0);
    const QList<double> idle = measureTwice(3000);
    if (v.size() != 8 || idle.size() != 8) {
      std::fprintf(stderr, "run %d failed\n", i + 1);
      return 1;
    }
    ready << v[0];
    frame << v[1];
    afterIdle << idle[1];
    second << v[2];
    programMb << v[3] / 1024;
    engineMb << v[4] / 1024;
    programPssMb << v[5] / 1024;
    enginePssMb << v[6] / 1024;
    afterFlood << v[7];
    std::printf(
        "run %d: ready %.0f ms, first frame %.0f ms (after 3 s idle %.0f ms, "
        "next movie %.0f ms, after a save flood %.0f ms), RSS program %.0f MB + web engine "
        "%.0f MB, PSS %.0f + %.0f MB\n",
        i + 1, ready.last(), frame.last(), afterIdle.last(), second.last(), afterFlood.last(),
        programMb.last(), engineMb.last(), programPssMb.last(), enginePssMb.last());
  }
  std::printf(
      "median of %d runs: ready %.0f ms, first frame %.0f ms (after 3 s idle %.0f ms, "
      "next movie %.0f ms, after a save flood %.0f ms), RSS program %.0f MB + web engine "
      "processes %.0f MB, PSS %.0f + %.0f MB\n",
      runs, Median(ready), Median(frame), Median(afterIdle), Median(second), Median(afterFlood),
      Median(programMb), Median(engineMb), Median(programPssMb), Median(enginePssMb));
  return 0;
}
