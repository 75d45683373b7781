// Creating the Flash control from program folders that lack parts of it.

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include "platform/errorbox.h"
#include "player/shockwaveflash.h"
#include "support/testsupport.h"

namespace {

class FlashSetupTest : public TempFolderTest {
 protected:
  // A program folder with the given Ruffle files.
  QString ProgramFolderWith(const QStringList& ruffleFiles, const QByteArray& ruffleJs) {
    const QString program = QStringLiteral("program%1/").arg(++m_folders);
    MakeFolder(program);
    for (const QString& name : ruffleFiles)
      WriteFile(program + QStringLiteral("ruffle/") + name, ruffleJs);
    return Root() + program;
  }

 private:
  int m_folders = 0;
};

TEST_F(FlashSetupTest, MissingRuffleFailsCreation) {
  const QString folder = ProgramFolderWith({}, {});
  EXPECT_THROW(TShockwaveFlash{folder}, FlashError);
  // Without any WebAssembly Ruffle cannot run either.
  const QString noWasm = ProgramFolderWith({QStringLiteral("ruffle.js")}, "//");
  try {
    TShockwaveFlash flash(noWasm);
    FAIL() << "created without Ruffle's WebAssembly";
  } catch (const FlashError& e) {
    EXPECT_TRUE(e.Message().contains(QLatin1String("Ruffle"))) << e.what();
  }
}

TEST_F(FlashSetupTest, PlayAndStopFailWhileRuffleCannotRun) {
  // Files that are there but do not work: the page cannot start Ruffle.
  const QString folder = ProgramFolderWith({QStringLiteral("ruffle.js"), QStringLiteral("0.wasm")},
                                           "throw new Error('broken');");
  TShockwaveFlash flash(folder);
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
