// Creating the Flash control from program folders that lack parts of it.
// Each case needs a process whose web engine has not started yet, so the
// cases run in order in a test program of their own.

#include <QApplication>
#include <QFile>
#include <QOpenGLContext>
#include <QSignalSpy>
#include <QTest>

#include "platform/errorbox.h"
#include "player/shockwaveflash.h"
#include "support/testsupport.h"

namespace {

class FlashSetupTest : public TempFolderTest {
 protected:
  // A program folder with the real plugin and the given Ruffle files.
  QString ProgramFolderWith(const QStringList& ruffleFiles, const QByteArray& ruffleJs) {
    const QString program = QStringLiteral("program%1/").arg(++m_folders);
    const QString plugin = BuildFolder("QUILLET_BIN_DIR") + QStringLiteral("/plugins/");
    const QString plugins = MakeFolder(program + QStringLiteral("plugins"));
    for (const QString& name : QDir(plugin).entryList(QDir::Files))
      EXPECT_TRUE(QFile::link(plugin + name, plugins + name));
    for (const QString& name : ruffleFiles)
      WriteFile(program + QStringLiteral("ruffle/") + name, ruffleJs);
    return Root() + program;
  }

 private:
  int m_folders = 0;
};

// The web engine crashes as it starts without a global shared OpenGL
// context; the application does not make one, so that its first window shows
// sooner, and the control must make it before it loads the engine.
TEST_F(FlashSetupTest, TheControlSharesOpenGLContextsBeforeLoadingTheEngine) {
  ASSERT_EQ(QOpenGLContext::globalShareContext(), nullptr);
  EXPECT_THROW(TShockwaveFlash(MakeFolder(QStringLiteral("noplugin")), nullptr), FlashError);
  QOpenGLContext* shared = QOpenGLContext::globalShareContext();
  ASSERT_NE(shared, nullptr);
  EXPECT_TRUE(shared->isValid());
  EXPECT_TRUE(QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts));
  // Later controls keep the same one: the engine's contexts share with it.
  EXPECT_THROW(TShockwaveFlash(MakeFolder(QStringLiteral("noplugin2")), nullptr), FlashError);
  EXPECT_EQ(QOpenGLContext::globalShareContext(), shared);
}

TEST_F(FlashSetupTest, AMissingPluginFailsCreation) {
  try {
    TShockwaveFlash flash(MakeFolder(QStringLiteral("empty")), nullptr);
    FAIL() << "created without its plugin";
  } catch (const FlashError& e) {
    EXPECT_TRUE(e.Message().contains(QLatin1String("Flash player"))) << e.what();
  }
}

TEST_F(FlashSetupTest, MissingRuffleFailsCreation) {
  const QString folder = ProgramFolderWith({}, {});
  EXPECT_THROW(TShockwaveFlash(folder, nullptr), FlashError);
  // Without any WebAssembly Ruffle cannot run either.
  const QString noWasm = ProgramFolderWith({QStringLiteral("ruffle.js")}, "//");
  try {
    TShockwaveFlash flash(noWasm, nullptr);
    FAIL() << "created without Ruffle's WebAssembly";
  } catch (const FlashError& e) {
    EXPECT_TRUE(e.Message().contains(QLatin1String("Ruffle"))) << e.what();
  }
}

TEST_F(FlashSetupTest, PlayAndStopFailWhileRuffleCannotRun) {
  // Files that are there but do not work: the page cannot start Ruffle.
  const QString folder = ProgramFolderWith({QStringLiteral("ruffle.js"), QStringLiteral("0.wasm")},
                                           "throw new Error('broken');");
  TShockwaveFlash flash(folder, nullptr);
  QSignalSpy failed(&flash, &TShockwaveFlash::engineFailed);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !failed.isEmpty(); }, 30000));
  EXPECT_FALSE(flash.IsEngineReady());
  try {
    flash.Play();
    FAIL() << "Play reported success";
  } catch (const FlashError& e) {
    EXPECT_EQ(ErrorBoxText(e.Message()), QStringLiteral("Ruffle could not be loaded."));
  }
  ASSERT_TRUE(failed.wait(30000)) << "Play did not retry the page";
  EXPECT_THROW(flash.Stop(), FlashError);
  // Setting a movie is not an error; the movie just does not play.
  flash.SetMovie(QStringLiteral("/nonexistent.swf"));
  EXPECT_EQ(flash.Movie(), QStringLiteral("/nonexistent.swf"));
}

}  // namespace
