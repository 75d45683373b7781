// The whole program in one process: the four windows created as at start-up,
// driven with real mouse and key events, playing real test movies.

#include "app/program.h"
#include "app/busydownload.h"
#include "launcher/form1.h"
#include "notice/form4.h"
#include "platform/playerwindow.h"
#include "platform/prompt.h"
#include "platform/systempaths.h"
#include "player/flashtestsupport.h"
#include "player/form2.h"
#include "player/shockwaveflash.h"
#include "scriptedresponder.h"
#include "support/holdsfor.h"
#include "support/realinput.h"
#include "support/testsupport.h"
#include "testmovies.h"
#include "uikit/widgets.h"

#include <signal.h>

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <optional>

namespace {

// Stands in for the browser: records the addresses it is asked to open.
class UrlCatcher : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public Q_SLOTS:
  void Open(const QUrl& url) { opened << url; }
};

const QString kQuit = QString::fromUtf8("确定要退出游戏吗？");
const QString kIdle = QStringLiteral("C:\\Flash\\chid.swf");

class ProgramTest : public TempFolderTest {
 protected:
  void SetUp() override {
    StartProgram();
    QSignalSpy ready(Form2->f, &TShockwaveFlash::engineReady);
    if (!Form2->f->IsEngineReady()) {
      ASSERT_TRUE(ready.wait(20000));
    }
  }

  // Creates the windows as the program starts, in folders of the test's own.
  void StartProgram() {
    m_paths.emplace(MakeFolder(QStringLiteral("drive")), MakeFolder(QStringLiteral("program")));
    MakeFolder(QStringLiteral("program/Common"));
    // What a download killed halfway leaves, beside a complete movie.
    m_stale = WriteFile(QStringLiteral("program/Common/.tancs.swf.quillet-Ab3dE9"));
    m_kept = WriteFile(QStringLiteral("program/Common/saol.swf"));
    m_program = std::make_unique<Program>(
        ProgramEnvironment{*m_paths, QStringLiteral("http://127.0.0.1:9"), prompt,
                           BuildFolder("QUILLET_BIN_DIR") + QLatin1Char('/'),
                           [this](BusyWait&, const QString& url, const QString&) {
                             downloads << url;
                             return downloadSucceeds ? Outcome::Ok() : Outcome::Failed({});
                           }});
    m_program->Start();
  }

  void TearDown() override {
    m_program.reset();
    SyncWithXServer();
  }

  // Puts a test movie where the launch looks for the game's file.
  QString InstallGame(const char* movie, const QString& stem) {
    const QString target =
        Root() + QStringLiteral("program/Common/") + stem + QStringLiteral(".swf");
    EXPECT_TRUE(QFile::copy(TestMovie(movie), target));
    return target;
  }

  GameNameLabel* NameLabel(const char* caption) {
    for (GameNameLabel* label : Form1->findChildren<GameNameLabel*>()) {
      if (label->text() == QString::fromUtf8(caption))
        return label;
    }
    return nullptr;
  }

  void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(5, 5)); }

  // Plays a movie and waits until it shows.
  void Play(const QString& path) {
    QSignalSpy loaded(Form2->f, &TShockwaveFlash::movieLoaded);
    PlayGame(path, m_program->Windows());
    ASSERT_TRUE(loaded.wait(20000));
    ASSERT_TRUE(QTest::qWaitFor([] { return playerwindow::IsMapped(Form2->WindowId()); }, 5000));
    // As a user sees the game, the player has the keyboard.
    ASSERT_TRUE(QTest::qWaitFor(
        [] {
          QProcess focus;
          focus.start(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")});
          focus.waitForFinished();
          return focus.readAllStandardOutput().trimmed().toULong() == Form2->WindowId();
        },
        5000));
  }

  // A key as the user presses it: to the window that has the keyboard.
  static void PressKey(const char* key) {
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QLatin1String(key)});
  }

  ScriptedPrompt prompt;
  QStringList downloads;
  bool downloadSucceeds = false;
  QString m_stale;
  QString m_kept;

 private:
  std::optional<FixedSystemPaths> m_paths;
  std::unique_ptr<Program> m_program;
};

}  // namespace

// The first click right after start, while the web engine is still coming
// up: the player is black (the empty movie's stage) until the game shows,
// and never white, whatever the engine has drawn by then.
class ProgramRightAfterStart : public ProgramTest {
 protected:
  void SetUp() override {}
};

TEST_F(ProgramRightAfterStart, TheFirstGameNeverFlashesWhite) {
  StartProgram();
  const QString path = InstallGame("anim", QStringLiteral("doudl"));
  QSignalSpy loaded(Form2->f, &TShockwaveFlash::movieLoaded);
  Click(NameLabel("|豆豆龙|"));
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  int samples = 0;
  int white = 0;
  // Looks at the screen each time round until the movie is in.
  (void)QTest::qWaitFor(
      [&] {
        if (Form2->isVisible()) {
          // Away from the strip at the top: the middle and a corner of the player.
          const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
          for (const QPoint at : {screen.center(), QPoint(20, screen.height() - 20)})
            white += Near(shot.pixelColor(at), Qt::white, 40) ? 1 : 0;
          ++samples;
        }
        return !loaded.isEmpty();
      },
      20000);
  ASSERT_FALSE(loaded.isEmpty());
  EXPECT_GT(samples, 0) << "the player showed only once the movie was in";
  EXPECT_EQ(white, 0) << "white in " << white << " looks out of " << 2 * samples;
  EXPECT_EQ(Form2->f->Movie(), path);
}

TEST_F(ProgramTest, StartRemovesWhatAKilledDownloadLeftButNoMovie) {
  EXPECT_FALSE(QFile::exists(m_stale));
  EXPECT_TRUE(QFile::exists(m_kept));
}

TEST_F(ProgramTest, OnlyTheLauncherIsVisibleAtStart) {
  EXPECT_TRUE(Form1->isVisible());
  EXPECT_FALSE(Form2->isVisible());
  EXPECT_FALSE(Form4->isVisible());
  EXPECT_FALSE(Form1->C1->isEnabled());
  EXPECT_EQ(Form1->pp->currentIndex(), 4);  // TabSheet5
}

TEST_F(ProgramTest, AClickOnAnInstalledGamePlaysItFullScreen) {
  const QString path = InstallGame("anim", QStringLiteral("doudl"));
  QSignalSpy loaded(Form2->f, &TShockwaveFlash::movieLoaded);
  Click(NameLabel("|豆豆龙|"));
  ASSERT_TRUE(loaded.wait(20000));

  EXPECT_TRUE(prompt.questions.isEmpty());
  EXPECT_LE(Form1->height(), 3);
  EXPECT_TRUE(Form1->C1->isEnabled());
  EXPECT_TRUE(Form2->isVisible());
  EXPECT_EQ(Form2->f->Movie(), path);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return playerwindow::ScreenGeometry(Form2->WindowId()) == screen; }, 5000));
  EXPECT_TRUE(ShowsMotion(*Form2->f));
}

TEST_F(ProgramTest, AMissingGameAsksAndDownloadsFromTheServer) {
  prompt.answer = true;
  Click(NameLabel("|吃豆|"));
  EXPECT_EQ(prompt.questions, QStringList{QString::fromUtf8("该游戏还没有下载，现在马上下载？")});
  EXPECT_EQ(downloads,
            QStringList{QStringLiteral("http://127.0.0.1:9/soft/Playbox/Playshare/chid.swf")});
  // The transfer failed: the notice says so and stays.
  EXPECT_TRUE(Form4->isVisible());
  EXPECT_FALSE(Form1->ti->isActive());
  EXPECT_FALSE(Form2->isVisible());
}

// The launcher's timer ti closes the notice of a success, as the program
// wires them, 4000 ms after the download.
TEST_F(ProgramTest, ASuccessNoticeClosesByTheLaunchersTimer) {
  prompt.answer = true;
  downloadSucceeds = true;
  QElapsedTimer clock;
  clock.start();
  Click(NameLabel("|吃豆|"));
  ASSERT_TRUE(Form4->isVisible());
  EXPECT_TRUE(Form1->ti->isActive());
  EXPECT_TRUE(QTest::qWaitFor([] { return !Form4->isVisible(); }, 6000));
  EXPECT_GE(clock.elapsed(), 3700);  // a coarse timer may fire 5 % early
  EXPECT_FALSE(Form1->ti->isActive()) << "each arming fires once";
}

TEST_F(ProgramTest, HelpOpensTheGameServersHelpPage) {
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "Open");
  Form1->N4->trigger();
  QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
  EXPECT_EQ(catcher.opened,
            QList<QUrl>{QUrl(QStringLiteral("http://127.0.0.1:9/soft/Playbox/help.htm"))});
}

TEST_F(ProgramTest, EscInThePlayerAnsweredNoKeepsTheGame) {
  Play(InstallGame("anim", QStringLiteral("doudl")));
  prompt.answer = false;
  PressKey("Escape");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !prompt.questions.isEmpty(); }, 5000));
  EXPECT_EQ(prompt.questions, QStringList{kQuit});
  EXPECT_TRUE(Form2->isVisible());
  EXPECT_TRUE(Form1->C1->isEnabled());
  EXPECT_TRUE(ShowsMotion(*Form2->f));
}

TEST_F(ProgramTest, EscInThePlayerAnsweredYesHidesItAndKeepsTheMovie) {
  const QString path = InstallGame("anim", QStringLiteral("doudl"));
  Play(path);
  // The key goes wherever the keyboard is, which is the movie in the player.
  prompt.answer = true;
  PressKey("shift+Escape");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !prompt.questions.isEmpty(); }, 5000));
  EXPECT_EQ(prompt.questions, QStringList{kQuit});
  EXPECT_FALSE(Form2->isVisible());
  EXPECT_TRUE(QTest::qWaitFor([] { return !playerwindow::IsMapped(Form2->WindowId()); }, 5000));
  EXPECT_FALSE(Form1->C1->isEnabled());
  EXPECT_EQ(Form2->f->Movie(), path);
  // Quitting does not roll the launcher down.
  EXPECT_LE(Form1->height(), 3);
}

TEST_F(ProgramTest, OtherKeysInThePlayerAskNothing) {
  Play(InstallGame("input", QStringLiteral("doudl")));
  PressKey("space");
  PressKey("Return");
  EXPECT_TRUE(HoldsFor([&] { return prompt.questions.isEmpty(); }, 1500));
  EXPECT_TRUE(Form2->isVisible());
}

TEST_F(ProgramTest, EscInTheLauncherResetsTheMovie) {
  Play(InstallGame("anim", QStringLiteral("doudl")));
  prompt.answer = true;
  Form1->activateWindow();
  QTest::keyClick(Form1, Qt::Key_Escape);
  EXPECT_EQ(prompt.questions, QStringList{kQuit});
  EXPECT_FALSE(Form2->isVisible());
  EXPECT_FALSE(Form1->C1->isEnabled());
  EXPECT_EQ(Form2->f->Movie(), kIdle);
}

TEST_F(ProgramTest, EscInTheLauncherAsksEvenWithNoGame) {
  prompt.answer = true;
  QTest::keyClick(Form1, Qt::Key_Escape);
  EXPECT_EQ(prompt.questions, QStringList{kQuit});
  EXPECT_FALSE(Form2->isVisible());
  EXPECT_EQ(Form2->f->Movie(), kIdle);
}

TEST_F(ProgramTest, TheMenuItemQuitsWithoutAQuestion) {
  Play(InstallGame("anim", QStringLiteral("doudl")));
  Form1->C1->trigger();
  EXPECT_TRUE(prompt.questions.isEmpty());
  EXPECT_FALSE(Form2->isVisible());
  EXPECT_FALSE(Form1->C1->isEnabled());
  EXPECT_EQ(Form2->f->Movie(), kIdle);
}

TEST_F(ProgramTest, ASecondGameReplacesTheFirstWithoutHidingThePlayer) {
  Play(InstallGame("anim", QStringLiteral("doudl")));
  const unsigned long window = Form2->WindowId();
  int unmapped = 0;
  QTimer sampler;
  QObject::connect(&sampler, &QTimer::timeout, &sampler,
                   [&] { unmapped += playerwindow::IsMapped(window) ? 0 : 1; });
  sampler.start(5);
  const QString second = InstallGame("input", QStringLiteral("kaifj"));
  Play(second);
  sampler.stop();
  EXPECT_EQ(unmapped, 0);
  EXPECT_EQ(Form2->WindowId(), window);
  EXPECT_TRUE(Form2->isVisible());
  EXPECT_EQ(Form2->f->Movie(), second);
}

// The player process killed, or its window closed by a browser shortcut: the
// game counts as quit, and the next click plays in a new player.
TEST_F(ProgramTest, ALostPlayerEndsTheGameAndTheNextClickPlays) {
  for (const char* way : {"kill", "alt+F4"}) {
    Play(InstallGame("anim", QStringLiteral("doudl")));
    const qint64 pid = Form2->f->RendererProcessId();
    if (QLatin1String(way) == QLatin1String("kill"))
      ::kill(pid_t(pid), SIGKILL);
    else
      PressKey(way);
    EXPECT_TRUE(QTest::qWaitFor([] { return !Form1->C1->isEnabled(); }, 10000)) << way;
    EXPECT_FALSE(Form2->isVisible()) << way;
    EXPECT_TRUE(QTest::qWaitFor([&] { return ::kill(pid_t(pid), 0) != 0; }, 5000)) << way;
    EXPECT_TRUE(prompt.questions.isEmpty()) << way;
    QFile::remove(Root() + QStringLiteral("program/Common/doudl.swf"));
  }
  Play(InstallGame("anim", QStringLiteral("doudl")));
  EXPECT_TRUE(Form1->C1->isEnabled());
  EXPECT_TRUE(ShowsMotion(*Form2->f));
}

// The transfer as the program runs it: on a worker thread behind the busy wait.
using DownloadWhileBusyTest = TempFolderTest;

TEST_F(DownloadWhileBusyTest, FetchesTheMovie) {
  ScriptedResponder server;
  const QByteArray movie = CwsMovie(200000);
  server.Answer(QStringLiteral("/game.swf"), WithLength(200, movie));
  BusyWait busy;
  EXPECT_TRUE(DownloadFileWhileBusy(busy, server.Url(QStringLiteral("/game.swf")),
                                    Root() + QStringLiteral("game.swf")));
  EXPECT_EQ(ReadWholeFile(Root() + QStringLiteral("game.swf")), movie);
  EXPECT_FALSE(DownloadFileWhileBusy(busy, server.Url(QStringLiteral("/absent.swf")),
                                     Root() + QStringLiteral("absent.swf")));
}

// A server that trickles just fast enough for libcurl's old low-speed rule
// (the movie would be whole after 10 s): Esc, or the launcher's close
// picture, ends the wait at once, asks nothing and leaves nothing behind.
TEST_F(ProgramTest, EscOrClosingTheLauncherStopsASlowServer) {
  ScriptedResponder server;
  ScriptedAnswer answer = WithLength(200, FwsMovie(11000));
  answer.trickleBytes = 110;
  answer.trickleIntervalMs = 100;
  server.Answer(QStringLiteral("/game.swf"), answer);
  for (const bool byEsc : {true, false}) {
    const qsizetype asked = server.Requests().size();
    QElapsedTimer sinceInput;
    // The user acts once the server has the request: the transfer is under way.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, Form1, [&] {
      if (sinceInput.isValid() || server.Requests().size() == asked)
        return;
      sinceInput.start();
      if (byEsc)
        QTest::keyClick(Form1, Qt::Key_Escape);
      else
        QTest::mouseClick(Form1->findChild<QWidget*>(QStringLiteral("Image6")), Qt::LeftButton);
    });
    poll.start(20);
    BusyWait busy;
    EXPECT_FALSE(DownloadFileWhileBusy(busy, server.Url(QStringLiteral("/game.swf")),
                                       Root() + QStringLiteral("game.swf")));
    ASSERT_TRUE(sinceInput.isValid());
    EXPECT_LT(sinceInput.elapsed(), 2500);
    EXPECT_EQ(Form1->isVisible(), byEsc);
  }
  EXPECT_TRUE(HoldsFor([&] { return prompt.questions.isEmpty(); }, 100));
  EXPECT_TRUE(
      QDir(Root()).entryList({QStringLiteral("*game.swf*")}, QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(ProgramTest, ClosingTheLauncherDuringAGameEndsTheEventLoop) {
  Play(InstallGame("anim", QStringLiteral("doudl")));
  QTimer::singleShot(100, Form1, [] { Form1->close(); });
  // A stuck loop would hang here until ctest's timeout fails the test.
  EXPECT_EQ(QApplication::exec(), 0);
}

#include "program_test.moc"
