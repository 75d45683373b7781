// The Flash control playing real movies with Ruffle, judged by the pixels
// that reach the X screen.

#include <signal.h>

#include <QApplication>
#include <QDirIterator>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "flashtestsupport.h"
#include "platform/playerwindow.h"
#include "player/playersettings.h"
#include "player/plugin/savestore.h"
#include "player/shockwaveflash.h"
#include "support/holdsfor.h"
#include "support/testsupport.h"
#include "support/xwindow.h"

namespace {

const QColor kStage(0x20, 0x20, 0x20);  // the test movies' background
const QColor kGrey(0x80, 0x80, 0x80);
const QColor kRed(0xFF, 0, 0);
const QColor kBlue(0, 0, 0xFF);
const QColor kGreen(0, 0xFF, 0);
// The save movie's colours: no count found, a count found, a bar per count.
const QColor kFirstRun(0xC0, 0, 0), kLaterRun(0, 0xC0, 0), kBar(0xFF, 0xFF, 0xFF);

// An HTTP server on 127.0.0.1 that keeps every request's head and body and
// answers each with "ok", to anyone.
class RequestRecorder {
 public:
  RequestRecorder() {
    m_server.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
      while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        const qsizetype index = requests.size();
        requests << QByteArray();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, index] {
          QByteArray& request = requests[index];
          request += socket->readAll();
          const qsizetype end = request.indexOf("\r\n\r\n");
          if (end < 0 || socket->property("answered").toBool())
            return;
          socket->setProperty("answered", true);
          socket->write(
              "HTTP/1.1 200 OK\r\nAccess-Control-Allow-Origin: *\r\nContent-Length: 2\r\n"
              "Connection: close\r\n\r\nok");
          socket->disconnectFromHost();
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      }
    });
  }
  quint16 Port() const { return m_server.serverPort(); }
  bool Received(const QByteArray& part) const {
    return std::any_of(requests.begin(), requests.end(),
                       [&](const QByteArray& r) { return r.contains(part); });
  }

  QList<QByteArray> requests;

 private:
  QTcpServer m_server;
};

// What a user does on the X server, through xdotool: keys go to the focused
// window, clicks to the screen.
void Xdotool(const QStringList& args) {
  QProcess::execute(QStringLiteral("xdotool"), args);
}

// One control for the whole suite, as the program has one; its window fills
// the screen. The test movies' stage is 400x300, shown whole and centred.
class FlashControlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    flash = new TShockwaveFlash(BuildFolder("QUILLET_BIN_DIR") + QLatin1Char('/'));
    initialMovie = flash->Movie();
    flash->ShowPlayer(true);
    ASSERT_TRUE(QTest::qWaitFor([] { return playerwindow::IsMapped(flash->WindowId()); }, 60000));
  }
  static void TearDownTestSuite() {
    delete flash;
    flash = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(flash, nullptr);
    flash->ShowPlayer(true);
  }

  // A point of the stage in the window, and on the screen.
  static QPoint At(const QPoint& stage) {
    const QRect area = playerwindow::ScreenGeometry(flash->WindowId());
    const double scale = std::min(area.width() / 400.0, area.height() / 300.0);
    return QPoint(int((area.width() - 400 * scale) / 2 + stage.x() * scale),
                  int((area.height() - 300 * scale) / 2 + stage.y() * scale));
  }
  static QPoint OnScreen(const QPoint& stage) {
    return At(stage) + playerwindow::ScreenGeometry(flash->WindowId()).topLeft();
  }
  static void Click(const QPoint& stage, const char* button = "1") {
    const QPoint at = OnScreen(stage);
    Xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
             QStringLiteral("click"), QLatin1String(button)});
  }

  // Sets the movie, plays it, and waits until it is in and has the keyboard.
  static bool Load(const QString& path) {
    QSignalSpy loaded(flash, &TShockwaveFlash::movieLoaded);
    flash->SetMovie(path);
    flash->Play();
    return loaded.wait(30000) && HasTheKeyboard();
  }
  static bool HasTheKeyboard() {
    return QTest::qWaitFor([] { return XInputFocus() == flash->WindowId(); });
  }

  // Waits until the pixel at a point of the stage is near a colour.
  static bool PixelBecomes(const QPoint& stage, const QColor& colour, int withinMs = 5000) {
    return QTest::qWaitFor([&] { return Near(ScreenPixel(*flash, At(stage)), colour); }, withinMs);
  }

  static TShockwaveFlash* flash;
  static QString initialMovie;
};

TShockwaveFlash* FlashControlTest::flash = nullptr;
QString FlashControlTest::initialMovie;

TEST_F(FlashControlTest, StartsWithTheStoredMovie) {
  EXPECT_EQ(initialMovie, FlashSettings().movie);
}

TEST_F(FlashControlTest, PlaysStopsAndPlaysAgain) {
  ASSERT_TRUE(Load(TestMovie("anim")));
  EXPECT_EQ(flash->Movie(), TestMovie("anim"));
  EXPECT_TRUE(ShowsMotion(*flash));

  flash->Stop();
  // Frames already under way may land; then the picture holds.
  EXPECT_TRUE(QTest::qWaitFor([] { return HoldsStill(*flash, 700); }, 3000))
      << "the picture moved after Stop";
  // Stopping twice is harmless.
  flash->Stop();

  flash->Play();
  EXPECT_TRUE(ShowsMotion(*flash));
}

TEST_F(FlashControlTest, KeysReachTheMovieWithoutAClick) {
  ASSERT_TRUE(Load(TestMovie("input")));
  const QPoint top(200, 75), bottom(200, 225);
  ASSERT_TRUE(PixelBecomes(top, kGrey));
  Xdotool({QStringLiteral("key"), QStringLiteral("a")});
  EXPECT_TRUE(PixelBecomes(top, kRed)) << "the key press did not reach the movie";

  Click(bottom);
  EXPECT_TRUE(PixelBecomes(bottom, kGreen)) << "the click did not reach the movie";

  // Hidden and shown again, the movie takes keys at once.
  flash->ShowPlayer(false);
  ASSERT_TRUE(QTest::qWaitFor([] { return !playerwindow::IsMapped(flash->WindowId()); }, 5000));
  flash->ShowPlayer(true);
  ASSERT_TRUE(QTest::qWaitFor([] { return playerwindow::IsMapped(flash->WindowId()); }, 5000));
  ASSERT_TRUE(HasTheKeyboard());
  Xdotool({QStringLiteral("key"), QStringLiteral("b")});
  EXPECT_TRUE(PixelBecomes(top, kBlue)) << "keys were lost after showing the player again";
}

TEST_F(FlashControlTest, NewMovieReplacesTheOld) {
  ASSERT_TRUE(Load(TestMovie("anim")));
  ASSERT_TRUE(ShowsMotion(*flash));
  ASSERT_TRUE(Load(TestMovie("input")));
  EXPECT_TRUE(PixelBecomes(QPoint(200, 75), kGrey));
  EXPECT_TRUE(HoldsStill(*flash, 800)) << "the old movie still plays";
  // Keys reach the new movie at once.
  Xdotool({QStringLiteral("key"), QStringLiteral("a")});
  EXPECT_TRUE(PixelBecomes(QPoint(200, 75), kRed)) << "keys did not reach the second movie";
}

TEST_F(FlashControlTest, MissingAndGarbageFilesLeaveThePlayerWorking) {
  QTemporaryDir dir;
  const QString garbage = dir.filePath(QStringLiteral("garbage.swf"));
  QFile file(garbage);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray(5000, '\x5a'));
  file.close();

  // A planted movie far larger than any game, and a folder: refused unread.
  const QString huge = dir.filePath(QStringLiteral("huge.swf"));
  QFile planted(huge);
  ASSERT_TRUE(planted.open(QIODevice::WriteOnly) && planted.resize(qint64(3) << 30));
  planted.close();

  for (const QString& path : {dir.filePath(QStringLiteral("missing.swf")), garbage,
                              QStringLiteral("C:\\Flash\\chid.swf"), dir.path(), huge}) {
    QSignalSpy failed(flash, &TShockwaveFlash::movieFailed);
    if (path == huge || path == dir.path())
      EXPECT_THROW(flash->SetMovie(path), FlashError) << path.toStdString();
    else
      flash->SetMovie(path);
    flash->Play();
    EXPECT_TRUE(failed.wait(30000)) << path.toStdString();
    EXPECT_EQ(flash->Movie(), path);
  }
  // The empty player shows nothing of Ruffle's own.
  EXPECT_TRUE(HoldsStill(*flash, 500));
  ASSERT_TRUE(Load(TestMovie("anim")));
  EXPECT_TRUE(ShowsMotion(*flash));
}

// The player process killed, or its window closed by a browser shortcut: the
// control says so, leaves nothing on the screen or running, and the next
// movie plays in a new player. Shortcuts that close nothing in a kiosk window
// leave the game playing full-screen; Ctrl+W closes the page only when
// Chromium takes it before the movie does, and either outcome must be sound.
TEST_F(FlashControlTest, SurvivesTheLossOfThePlayer) {
  enum Closes { No, Yes, Maybe };
  const struct {
    const char* way;
    Closes closes;
  } rows[] = {{"kill", Yes}, {"alt+F4", Yes}, {"ctrl+q", No}, {"ctrl+w", Maybe}, {"F11", No}};
  for (const auto& row : rows) {
    ASSERT_TRUE(Load(TestMovie("anim"))) << row.way;
    const qint64 pid = flash->RendererProcessId();
    const unsigned long window = flash->WindowId();
    ASSERT_GT(pid, 0);
    QSignalSpy lost(flash, &TShockwaveFlash::rendererLost);
    if (QLatin1String(row.way) == QLatin1String("kill"))
      ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
    else
      Xdotool({QStringLiteral("key"), QLatin1String(row.way)});
    if (row.closes == Maybe)
      lost.wait(1500);
    if (row.closes == No || (row.closes == Maybe && lost.isEmpty())) {
      EXPECT_TRUE(HoldsFor([&] { return lost.isEmpty(); }, 1500)) << row.way;
      EXPECT_EQ(playerwindow::ScreenGeometry(window), QGuiApplication::primaryScreen()->geometry())
          << row.way;
      EXPECT_TRUE(ShowsMotion(*flash)) << row.way;
      continue;
    }
    ASSERT_TRUE(!lost.isEmpty() || lost.wait(10000)) << row.way;
    EXPECT_FALSE(flash->IsShown()) << row.way;
    EXPECT_TRUE(QTest::qWaitFor([&] { return ::kill(static_cast<pid_t>(pid), 0) != 0; }, 5000))
        << "the old player still runs after " << row.way;
    EXPECT_FALSE(playerwindow::IsMapped(window)) << row.way;

    flash->ShowPlayer(true);
    ASSERT_TRUE(Load(TestMovie("anim"))) << row.way;
    EXPECT_NE(flash->RendererProcessId(), pid);
    EXPECT_TRUE(ShowsMotion(*flash)) << row.way;
  }
}

TEST_F(FlashControlTest, RightClickOpensTheOwnersMenu) {
  ASSERT_TRUE(Load(TestMovie("anim")));
  QMenu menu;
  menu.addAction(QStringLiteral("item"));
  flash->SetPopupMenu(&menu);
  QSignalSpy requested(flash, &TShockwaveFlash::popupRequested);
  Click(QPoint(100, 100), "3");
  ASSERT_TRUE(QTest::qWaitFor([&] { return menu.isVisible(); }, 3000));
  ASSERT_EQ(requested.size(), 1);
  EXPECT_LE((requested.at(0).at(0).toPoint() - OnScreen(QPoint(100, 100))).manhattanLength(), 2);
  menu.hide();
  flash->SetPopupMenu(nullptr);
}

TEST_F(FlashControlTest, AMovieCannotLeaveItsPage) {
  QSignalSpy reloaded(flash, &TShockwaveFlash::engineReady);
  const unsigned long window = flash->WindowId();
  ASSERT_TRUE(Load(TestMovie("escape")));
  ASSERT_TRUE(PixelBecomes(QPoint(200, 150), QColor(0, 0, 0xC0)));
  // A click lets a page open popups; the movie tries again then.
  Click(QPoint(200, 150));
  (void)HoldsFor([&] { return reloaded.isEmpty(); }, 1500);
  // Still the movie on the same page, in the same window.
  EXPECT_TRUE(Near(ScreenPixel(*flash, At(QPoint(200, 150))), QColor(0, 0, 0xC0)));
  EXPECT_TRUE(reloaded.isEmpty()) << "the page was left or reloaded";
  EXPECT_EQ(playerwindow::FindProcessWindow(flash->RendererProcessId()), window);
  ASSERT_TRUE(Load(TestMovie("anim")));
  EXPECT_TRUE(ShowsMotion(*flash));
}

TEST_F(FlashControlTest, FillsTheScreenExactly) {
  ASSERT_TRUE(Load(TestMovie("anim")));
  ASSERT_TRUE(PixelBecomes(QPoint(1, 1), kStage));
  flash->Stop();
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(playerwindow::ScreenGeometry(flash->WindowId()), screen);
  // The stage colour reaches every edge: no margins, scroll bars or page colour.
  const QImage shown = GrabScreen(*flash);
  ASSERT_EQ(shown.size(), screen.size());
  for (const QPoint corner :
       {QPoint(1, 1), QPoint(screen.width() - 2, 1), QPoint(1, screen.height() - 2),
        QPoint(screen.width() - 2, screen.height() - 2)})
    EXPECT_TRUE(Near(shown.pixelColor(corner), kStage)) << corner.x() << "," << corner.y();
  flash->Play();
}

// A movie that tries every way into its page and into other games' saves:
// script through ExternalInterface and javascript: URLs (reading, changing,
// deleting and planting saves, sending them away, filling the browser's
// storage, forging the page's messages), and the shared object at "/" that
// every movie of a site shared in Flash.
TEST_F(FlashControlTest, AHostileMovieRunsNoScriptAndReachesNoOtherGame) {
  RequestRecorder recorder;
  QTemporaryDir dir;
  const auto copy = [&](const char* movie, const QString& name) {
    const QString path = dir.filePath(name);
    EXPECT_TRUE(QFile::copy(TestMovie(movie), path));
    return path;
  };
  const QString port = QString::number(recorder.Port());
  const QString victim = copy("save", QStringLiteral("victim.swf"));
  const QPoint middle(200, 150), firstBar(24, 275), secondBar(24 + 38, 275);
  ASSERT_TRUE(Load(victim));
  ASSERT_TRUE(PixelBecomes(middle, kFirstRun));

  QSignalSpy failed(flash, &TShockwaveFlash::engineFailed);
  for (const QString& name : {QStringLiteral("hostile-a-"), QStringLiteral("hostile-b-")}) {
    ASSERT_TRUE(Load(copy("hostile", name + port + QStringLiteral(".swf"))));
    EXPECT_TRUE(PixelBecomes(QPoint(50, 50), kGreen)) << "ExternalInterface is there";
    // Time for the movie's own loads and anything a script sent; all of it is refused.
    (void)HoldsFor([&] { return recorder.requests.isEmpty(); }, 3000);
    // Another local port is neither the game server nor the player's own.
    EXPECT_FALSE(recorder.Received("GET /own/" + name.toUtf8()))
        << "the movie reached another port";
    EXPECT_FALSE(Near(ScreenPixel(*flash, At(QPoint(350, 50))), QColor(0xFF, 0xFF, 0)))
        << "another game's shared object at \"/\" reached " << name.toStdString();
  }
  for (const QByteArray& request : recorder.requests) {
    EXPECT_FALSE(request.contains("/script")) << "a script ran: " << request.left(300).data();
    EXPECT_FALSE(request.contains("seen=from-")) << request.left(300).data();
  }

  // The player still obeys the program: no forged failure got through.
  EXPECT_TRUE(failed.isEmpty());
  EXPECT_NO_THROW(flash->Stop());
  EXPECT_TRUE(flash->IsEngineReady());

  // The other game's save is as it was, and none was planted for another.
  ASSERT_TRUE(Load(victim));
  EXPECT_TRUE(PixelBecomes(middle, kLaterRun)) << "the other game's save was lost";
  EXPECT_TRUE(Near(ScreenPixel(*flash, At(firstBar)), kBar));
  EXPECT_FALSE(Near(ScreenPixel(*flash, At(secondBar)), kBar));
  ASSERT_TRUE(Load(copy("save", QStringLiteral("planted.swf"))));
  EXPECT_TRUE(PixelBecomes(middle, kFirstRun)) << "a save was planted for a game never played";
}

// Script in the page's own world, where a movie's script would run, tries to
// change or delete the saves of the game played before and to ask for the
// program's menu: through the storage, the page's commands, a frame of its own
// and made-up events. The other game's saves stay and no menu is asked for.
TEST_F(FlashControlTest, PageScriptReachesNoOtherGameAndNoReport) {
  QTemporaryDir dir;
  const QString victim = dir.filePath(QStringLiteral("scripted-victim.swf"));
  ASSERT_TRUE(QFile::copy(TestMovie("save"), victim));
  const QPoint middle(200, 150), firstBar(24, 275), secondBar(24 + 38, 275);
  flash->RunPageScript(
      QStringLiteral("window.seen = new Set(); setInterval(() => Object.keys(localStorage).forEach("
                     "(k) => seen.add(k)), 20)"));
  ASSERT_TRUE(Load(victim));
  ASSERT_TRUE(PixelBecomes(middle, kFirstRun));
  ASSERT_TRUE(Load(TestMovie("anim")));

  QSignalSpy requested(flash, &TShockwaveFlash::popupRequested);
  int keysSeen = -1;
  flash->RunPageScript(QStringLiteral(R"(
    const tries = [
      () => seen.forEach((k) => localStorage.setItem(k, "forged")),
      () => seen.forEach((k) => localStorage.removeItem(k)),
      () => quillet.fill(Object.fromEntries([...seen].map((k) => [k, "forged"])), 1e9),
      () => quilletMenu("1 1"),
      () => {
        const frame = document.body.appendChild(document.createElement("iframe"));
        frame.contentWindow.quilletMenu("2 2");
      },
      () => document.querySelectorAll("*").forEach((e) => e.dispatchEvent(
          new MouseEvent("contextmenu", { bubbles: true, screenX: 3, screenY: 3 }))),
    ];
    tries.forEach((t) => { try { t(); } catch (e) {} });
    seen.size)"),
                       [&](const QJsonValue& value) { keysSeen = value.toInt(); });
  ASSERT_TRUE(QTest::qWaitFor([&] { return keysSeen >= 0; }, 5000));
  EXPECT_GT(keysSeen, 0) << "the script saw none of the other game's saves";
  EXPECT_FALSE(QTest::qWaitFor([&] { return !requested.isEmpty(); }, 1500))
      << "a page script asked for the menu";

  ASSERT_TRUE(Load(victim));
  EXPECT_TRUE(PixelBecomes(middle, kLaterRun)) << "the other game's save was lost";
  EXPECT_TRUE(PixelBecomes(firstBar, kBar))
      << ScreenPixel(*flash, At(firstBar)).name().toStdString();
  EXPECT_FALSE(Near(ScreenPixel(*flash, At(secondBar)), kBar));
  EXPECT_TRUE(requested.isEmpty());
}

// A save over the game's bound fails where the movie sees it (its flush()
// reports the failure), a small one after it still succeeds, and a game that
// floods its saves takes no room from another.
TEST_F(FlashControlTest, ASaveOverTheBoundFailsInTheMovie) {
  QTemporaryDir dir;
  const QColor done(0, 0xC0, 0);
  const QPoint big(100, 150), small(300, 150);
  const QString flood = dir.filePath(QStringLiteral("flood.swf"));
  ASSERT_TRUE(QFile::copy(TestMovie("hoard"), flood));
  ASSERT_TRUE(Load(flood));
  EXPECT_TRUE(PixelBecomes(big, done)) << "flushing 4 MB was reported as done";
  EXPECT_TRUE(PixelBecomes(small, done)) << "a small save failed";
  // A new 64 KB object every frame, until the game's bound is full.
  const QDir floodSaves(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                        QStringLiteral("/saves/") +
                        SaveStore::GameFolderName(QStringLiteral("flood.swf")));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        qint64 bytes = 0;
        for (const QFileInfo& file : floodSaves.entryInfoList(QDir::Files))
          bytes += file.size();
        return bytes > SaveStore::kGameBound - 2 * 65536;
      },
      15000));

  const QString other = dir.filePath(QStringLiteral("hoard.swf"));
  ASSERT_TRUE(QFile::copy(TestMovie("hoard"), other));
  ASSERT_TRUE(Load(other));
  EXPECT_TRUE(PixelBecomes(big, done));
  EXPECT_TRUE(PixelBecomes(small, done)) << "another game's flood left no room";
}

// The program's saves, run as separate processes one after the other and
// then beside each other, sharing one user data folder.
TEST(FlashSaves, SurviveRestartsAndASecondCopy) {
  QTemporaryDir data;
  const QString probe = BuildFolder("QUILLET_BIN_DIR") + QStringLiteral("/../tests/flash_probe");
  // The save movie counts its runs: red on the first, green after, and a
  // white bar per earlier run at (24 + 38 i, 275).
  auto run = [&](QProcess& process, const QPoint& at, int holdMs) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    process.setProcessEnvironment(env);
    process.start(probe,
                  {BuildFolder("QUILLET_BIN_DIR") + QLatin1Char('/'), TestMovie("save"),
                   QString::number(at.x()), QString::number(at.y()), QString::number(holdMs)});
  };
  auto pixelOf = [](QProcess& process) {
    // Qt 6.8 answers false for a process whose end it has already seen.
    EXPECT_TRUE(process.state() == QProcess::NotRunning || process.waitForFinished(90000));
    const QByteArray out = process.readAllStandardOutput();
    EXPECT_TRUE(out.contains("loaded")) << out.toStdString();
    const QList<QByteArray> words = out.mid(out.indexOf("pixel")).trimmed().split(' ');
    return words.size() == 4 ? QColor(words[1].toInt(), words[2].toInt(), words[3].toInt())
                             : QColor();
  };
  const QPoint middle(200, 100);

  QProcess first;
  run(first, middle, 800);
  EXPECT_TRUE(Near(pixelOf(first), kFirstRun)) << "a fresh profile already had a save";
  QProcess second;
  run(second, middle, 800);
  EXPECT_TRUE(Near(pixelOf(second), kLaterRun)) << "the save was lost on restart";

  // A copy that stays open while another starts beside it.
  QProcess beside;
  run(beside, middle, 5000);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return beside.peek(4096).contains("pixel") || beside.state() == QProcess::NotRunning; },
      60000));
  QProcess third;
  run(third, middle, 800);
  EXPECT_TRUE(Near(pixelOf(third), kLaterRun)) << "a second copy did not see the saves";
  EXPECT_TRUE(Near(pixelOf(beside), kLaterRun));

  // The copy started beside the first saved too: the fourth bar is there.
  QProcess fourth;
  run(fourth, QPoint(24 + 38 * 3, 275), 800);
  EXPECT_TRUE(Near(pixelOf(fourth), kBar)) << "a save made beside another copy was lost";

  // Saves as earlier versions kept them, all games' together in one folder,
  // are found where they are and kept: the fifth bar is there.
  const QString saves = data.filePath(QStringLiteral("flash_probe/saves/"));
  QStringList files;
  QDirIterator it(saves, {QStringLiteral("*.json")}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext())
    files << it.next();
  ASSERT_FALSE(files.isEmpty());
  for (const QString& file : files)
    EXPECT_TRUE(file == saves + QFileInfo(file).fileName() ||
                QFile::rename(file, saves + QFileInfo(file).fileName()));
  QProcess fifth;
  run(fifth, QPoint(24 + 38 * 4, 275), 800);
  EXPECT_TRUE(Near(pixelOf(fifth), kBar)) << "a save in the earlier place was lost";
}

}  // namespace
