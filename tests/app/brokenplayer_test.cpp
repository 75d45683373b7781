// A player whose Ruffle files are there but cannot run, so that the control's
// Stop fails. Its own process: the loopback server keeps serving the broken
// files for as long as the process lives.

#include "app/playgame.h"
#include "app/program.h"
#include "launcher/form1.h"
#include "platform/systempaths.h"
#include "player/form2.h"
#include "player/shockwaveflash.h"
#include "support/messageboxwatch.h"
#include "support/testsupport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <optional>

namespace {

class BrokenPlayerTest : public TempFolderTest {
 protected:
  void SetUp() override {
    WriteFile(QStringLiteral("broken/ruffle/ruffle.js"), "throw new Error('broken');");
    WriteFile(QStringLiteral("broken/ruffle/0.wasm"), "");
    m_paths.emplace(MakeFolder(QStringLiteral("drive")), MakeFolder(QStringLiteral("program")));
    m_program = std::make_unique<Program>(ProgramEnvironment{
        *m_paths, QStringLiteral("http://127.0.0.1:9"), prompt, Root() + QStringLiteral("broken/"),
        [](BusyWait&, const QString&, const QString&) { return Outcome::Failed({}); }});
    m_program->Start();
  }
  void TearDown() override { m_program.reset(); }

  GameWindows Windows() { return m_program->Windows(); }

  ScriptedPrompt prompt;

 private:
  std::optional<FixedSystemPaths> m_paths;
  std::unique_ptr<Program> m_program;
};

}  // namespace

TEST_F(BrokenPlayerTest, AFailingStopEndsTheQuitBeforeItsOtherSteps) {
  const QString game = WriteFile(QStringLiteral("program/Common/doudl.swf"));
  QSignalSpy failed(Form2->f, &TShockwaveFlash::engineFailed);
  PlayGame(game, Windows());
  ASSERT_TRUE(failed.wait(30000) || !failed.isEmpty());
  ASSERT_TRUE(Form2->isVisible());
  ASSERT_TRUE(Form1->C1->isEnabled());

  const QString error = WatchMessageBox([&] { QuitGameFromMenu(Windows()); }).text;
  EXPECT_EQ(error, QStringLiteral("Ruffle could not be loaded."));
  // The steps after Stop did not run.
  EXPECT_EQ(Form2->f->Movie(), game);
  EXPECT_TRUE(Form2->isVisible());
  EXPECT_TRUE(Form1->C1->isEnabled());
}
