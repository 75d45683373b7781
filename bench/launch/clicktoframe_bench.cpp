// Click on a name whose movie is on disk -> first frame of the movie, through
// the whole program: LaunchGame, PlayGame, the Flash control and Ruffle.
// The first click also pays for loading Ruffle's player into the page, so it
// is reported on its own; the median covers the clicks after it. A second
// argument names another program folder (its plugin and Ruffle), to compare
// builds: clicktoframe_bench [runs] [program folder]. Last, it times a cold
// player process (new Chromium, new profile) to the same movie's first frame.

#include "app/playgame.h"
#include "app/program.h"
#include "launcher/form1.h"
#include "platform/prompt.h"
#include "platform/systempaths.h"
#include "player/form2.h"
#include "player/shockwaveflash.h"
#include "uikit/widgets.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class AlwaysYes final : public ConfirmationPrompt {
 public:
  bool Confirm(const QString&) override { return true; }
};

GameNameLabel* NameLabel(const QString& caption) {
  for (GameNameLabel* label : Form1->findChildren<GameNameLabel*>()) {
    if (label->text() == caption)
      return label;
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(2, std::atoi(argv[1])) : 11;
  QTemporaryDir data;
  qputenv("XDG_DATA_HOME", data.path().toUtf8());
  QApplication app(argc, argv);

  QTemporaryDir folders;
  const QString root = folders.path() + QLatin1Char('/');
  QDir(root).mkpath(QStringLiteral("program/Common"));
  if (!QFile::copy(QStringLiteral(QUILLET_SAMPLE_MOVIE),
                   root + QStringLiteral("program/Common/tancs.swf"))) {
    std::fprintf(stderr, "no sample movie at %s; build the project first\n", QUILLET_SAMPLE_MOVIE);
    return 1;
  }
  FixedSystemPaths paths(root + QStringLiteral("drive/"), root + QStringLiteral("program/"));
  AlwaysYes prompt;
  const QString programFolder =
      argc > 2 ? QDir(QString::fromLocal8Bit(argv[2])).absolutePath() + QLatin1Char('/')
               : QStringLiteral(QUILLET_BIN_DIR "/");
  Program program(ProgramEnvironment{paths, QStringLiteral("http://127.0.0.1:9"), prompt,
                                     programFolder, [](BusyWait&, const QString&, const QString&) {
                                       return Outcome::Failed(QStringLiteral("no server"));
                                     }});
  program.Start();
  QSignalSpy ready(Form2->f, &TShockwaveFlash::engineReady);
  if (!Form2->f->IsEngineReady() && !ready.wait(30000)) {
    std::fprintf(stderr, "Ruffle did not become ready\n");
    return 1;
  }

  GameNameLabel* name = NameLabel(QString::fromUtf8("|贪吃蛇|"));
  std::vector<qint64> times;
  for (int i = 0; i < runs; ++i) {
    // The name is on category 4's page; quitting leaves the launcher rolled up.
    QuitGameFromMenu(program.Windows());
    Form1->Image10Click();
    Form1->FormMouseMove();
    QTest::qWait(200);

    QSignalSpy loaded(Form2->f, &TShockwaveFlash::movieLoaded);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(name, Qt::LeftButton, {}, QPoint(5, 5));
    if (!loaded.wait(30000)) {
      std::fprintf(stderr, "run %d: the movie did not load\n", i + 1);
      return 1;
    }
    times.push_back(clock.elapsed());
  }

  std::printf("first click: %lld ms\n", static_cast<long long>(times.front()));
  std::vector<qint64> later(times.begin() + 1, times.end());
  std::sort(later.begin(), later.end());
  const qint64 click = later[later.size() / 2];
  std::printf("later clicks: median %lld ms over %zu runs (min %lld, max %lld)\n",
              static_cast<long long>(click), later.size(), static_cast<long long>(later.front()),
              static_cast<long long>(later.back()));

  // Chromium's cold load of the same page and movie: a new player process
  // with a new profile, from its start to the movie's first frame.
  QuitGameFromMenu(program.Windows());
  std::vector<qint64> cold;
  for (int i = 0; i < std::max(3, runs / 3); ++i) {
    QElapsedTimer clock;
    clock.start();
    TShockwaveFlash player(programFolder);
    QSignalSpy loaded(&player, &TShockwaveFlash::movieLoaded);
    player.SetMovie(root + QStringLiteral("program/Common/tancs.swf"));
    player.Play();
    player.ShowPlayer(true);
    if (!loaded.wait(30000)) {
      std::fprintf(stderr, "cold run %d: the movie did not load\n", i + 1);
      return 1;
    }
    cold.push_back(clock.elapsed());
  }
  std::sort(cold.begin(), cold.end());
  const qint64 coldMedian = cold[cold.size() / 2];
  std::printf("cold player: median %lld ms over %zu runs; click / cold = %.2f\n",
              static_cast<long long>(coldMedian), cold.size(), double(click) / double(coldMedian));
  return 0;
}
