// The launch decision on real temporary folders: a drive root and a program
// folder under one temporary folder per test.

#include "launch/launchgame.h"
#include "launch/gamefolders.h"
#include "platform/filesystem.h"
#include "platform/prompt.h"
#include "platform/systempaths.h"
#include "support/testsupport.h"

#include <QFile>
#include <QStringList>

#include <optional>

namespace {

class RecordedActions final : public GameActions {
 public:
  QStringList played;
  QStringList downloaded;
  void PlayGame(const QString& path) override { played << path; }
  void DownloadGame(const QString& stem) override { downloaded << stem; }
};

class LaunchGameTest : public TempFolderTest {
 protected:
  void SetUp() override {
    m_paths.emplace(Root() + QStringLiteral("drive/"), MakeFolder(QStringLiteral("program")));
  }
  void Launch(const QString& stem) {
    LaunchGame(stem, LaunchServices{*m_paths, m_files, prompt, actions});
  }
  QString SharedFile(const QString& name) {
    return WriteFile(QStringLiteral("drive/var/opt/Playshare/pbox/") + name);
  }
  QString FallbackFile(const QString& name) {
    return WriteFile(QStringLiteral("program/Common/") + name);
  }

  ScriptedPrompt prompt;
  RecordedActions actions;

 private:
  std::optional<FixedSystemPaths> m_paths;
  LocalFileSystem m_files;
};

}  // namespace

TEST_F(LaunchGameTest, BothPresentPlaysTheSharedFile) {
  const QString shared = SharedFile(QStringLiteral("xiaofg.swf"));
  FallbackFile(QStringLiteral("xiaofg.swf"));
  Launch(QStringLiteral("xiaofg"));
  EXPECT_EQ(actions.played, QStringList{shared});
  EXPECT_TRUE(prompt.questions.isEmpty());
  EXPECT_TRUE(actions.downloaded.isEmpty());
}

TEST_F(LaunchGameTest, OnlyFallbackPlaysItWithoutAPrompt) {
  const QString fallback = FallbackFile(QStringLiteral("xiaofg.swf"));
  Launch(QStringLiteral("xiaofg"));
  EXPECT_EQ(actions.played, QStringList{fallback});
  EXPECT_EQ(fallback, Root() + QStringLiteral("program/Common/xiaofg.swf"));
  EXPECT_TRUE(prompt.questions.isEmpty());
}

TEST_F(LaunchGameTest, NeitherAnsweredNoDoesNothing) {
  prompt.answer = false;
  Launch(QStringLiteral("xiaofg"));
  EXPECT_EQ(prompt.questions, QStringList{QString::fromUtf8("该游戏还没有下载，现在马上下载？")});
  EXPECT_TRUE(actions.played.isEmpty());
  EXPECT_TRUE(actions.downloaded.isEmpty());
}

TEST_F(LaunchGameTest, NeitherAnsweredYesDownloadsTheStem) {
  prompt.answer = true;
  Launch(QStringLiteral("xiaofg"));
  EXPECT_EQ(prompt.questions.size(), 1);
  EXPECT_EQ(actions.downloaded, QStringList{QStringLiteral("xiaofg")});
  EXPECT_TRUE(actions.played.isEmpty());
}

TEST_F(LaunchGameTest, StemIsUsedVerbatim) {
  const QString shared = SharedFile(QStringLiteral("d21.swf"));
  SharedFile(QStringLiteral("D21.swf"));
  Launch(QStringLiteral("d21"));
  EXPECT_EQ(actions.played, QStringList{shared});
  EXPECT_TRUE(shared.endsWith(QStringLiteral("/pbox/d21.swf")));
}

TEST_F(LaunchGameTest, AnotherFilesNameIsNotAMatch) {
  SharedFile(QStringLiteral("xiaofg.swf.part"));
  FallbackFile(QStringLiteral("XIAOFG.swf"));
  Launch(QStringLiteral("xiaofg"));
  EXPECT_TRUE(actions.played.isEmpty());
  EXPECT_EQ(prompt.questions.size(), 1);
}

TEST_F(LaunchGameTest, AFolderNamedLikeTheMovieIsNotAMovie) {
  MakeFolder(QStringLiteral("drive/var/opt/Playshare/pbox/xiaofg.swf"));
  const QString fallback = FallbackFile(QStringLiteral("xiaofg.swf"));
  Launch(QStringLiteral("xiaofg"));
  EXPECT_EQ(actions.played, QStringList{fallback});
}

TEST_F(LaunchGameTest, NothingIsCachedBetweenCalls) {
  prompt.answer = false;
  Launch(QStringLiteral("tancs"));
  EXPECT_EQ(prompt.questions.size(), 1);

  const QString fallback = FallbackFile(QStringLiteral("tancs.swf"));
  Launch(QStringLiteral("tancs"));
  EXPECT_EQ(actions.played, QStringList{fallback});

  const QString shared = SharedFile(QStringLiteral("tancs.swf"));
  Launch(QStringLiteral("tancs"));
  EXPECT_EQ(actions.played, (QStringList{fallback, shared}));

  QFile::remove(shared);
  QFile::remove(fallback);
  Launch(QStringLiteral("tancs"));
  EXPECT_EQ(actions.played.size(), 2);
  EXPECT_EQ(prompt.questions.size(), 2);
}

TEST_F(LaunchGameTest, AnEmptyOrBrokenFileIsStillPlayed) {
  const QString shared = WriteFile(QStringLiteral("drive/var/opt/Playshare/pbox/saol.swf"), "");
  Launch(QStringLiteral("saol"));
  EXPECT_EQ(actions.played, QStringList{shared});
}

TEST(GameFolders, PathsAreJoinedByPlainConcatenation) {
  EXPECT_EQ(SharedGameFolder(QStringLiteral("/")), QStringLiteral("/var/opt/Playshare/pbox/"));
  EXPECT_EQ(PlayshareFolder(QStringLiteral("/")), QStringLiteral("/var/opt/Playshare/"));
  EXPECT_EQ(FallbackGameFolder(QStringLiteral("/opt/quillet/")),
            QStringLiteral("/opt/quillet/Common/"));
  EXPECT_EQ(GameDownloadUrl(QStringLiteral("http://127.0.0.1"), QStringLiteral("d21")),
            QStringLiteral("http://127.0.0.1/soft/Playbox/Playshare/d21.swf"));
  EXPECT_EQ(HelpPageUrl(QStringLiteral("http://127.0.0.1")),
            QStringLiteral("http://127.0.0.1/soft/Playbox/help.htm"));
}
