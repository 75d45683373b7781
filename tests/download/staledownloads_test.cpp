// Clean-up of the temporary files that a killed download leaves behind.

#include "launch/moviefile.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/wait.h>
#include <unistd.h>

namespace {

class StaleDownloadsTest : public TempFolderTest {
 protected:
  QStringList Entries() const {
    QStringList found =
        QDir(Root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    found.sort();
    return found;
  }
};

TEST_F(StaleDownloadsTest, RemovesOnlyTemporaryMovieFiles) {
  QStringList kept = {
      QStringLiteral("xiaofg.swf"),
      QStringLiteral("d21.swf"),
      // Files a user may well name so, or an older program's leftovers.
      QStringLiteral("xiaofg.swf.backup"),
      QStringLiteral("xiaofg.swf.aB3dE9"),
      QStringLiteral(".xiaofg.swf.swp"),
      // Close, but not the temporary files' names.
      QStringLiteral("xiaofg.swf.quillet-aB3dE9"),
      QStringLiteral(".xiaofg.swf.quillet-aB3dE"),
      QStringLiteral(".xiaofg.swf.quillet-aB3dE90"),
      QStringLiteral(".xiaofg.swf.quillet-aB-dE9"),
      QStringLiteral(".notes.txt.quillet-aB3dE9"),
      QStringLiteral("..swf.quillet-aB3dE9"),
  };
  for (const QString& name : kept) {
    WriteFile(name);
  }
  WriteFile(QStringLiteral(".xiaofg.swf.quillet-aB3dE9"));
  WriteFile(QStringLiteral(".d21.swf.quillet-Zz0000"));
  MakeFolder(QStringLiteral(".tancs.swf.quillet-abcdef"));  // a folder, not ours

  RemoveStaleDownloads(Root());

  kept << QStringLiteral(".tancs.swf.quillet-abcdef");
  kept.sort();
  EXPECT_EQ(Entries(), kept);
}

// The leftover of a download whose process was killed half-way, made by a
// child process that ends without cleaning up.
TEST_F(StaleDownloadsTest, RemovesTheLeftoverOfAKilledDownload) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    NewMovieFile file(Root() + QStringLiteral("xiaofg.swf"));
    ::_exit(file.IsOpen() && file.Write("FWS", 3) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const QStringList left = Entries();
  ASSERT_EQ(left.size(), 1);
  EXPECT_TRUE(IsStaleDownloadName(left.constFirst())) << left.constFirst().toStdString();

  RemoveStaleDownloads(Root());
  EXPECT_TRUE(Entries().isEmpty());
}

// A second copy of the program starts while the first one downloads.
TEST_F(StaleDownloadsTest, LeavesADownloadInProgressAlone) {
  NewMovieFile file(Root() + QStringLiteral("xiaofg.swf"));
  ASSERT_TRUE(file.IsOpen());
  ASSERT_TRUE(file.Write("FWS", 3));
  RemoveStaleDownloads(Root());
  ASSERT_EQ(Entries().size(), 1);
  EXPECT_TRUE(file.Commit());
  EXPECT_EQ(Entries(), QStringList{QStringLiteral("xiaofg.swf")});
  EXPECT_EQ(ReadWholeFile(Root() + QStringLiteral("xiaofg.swf")), "FWS");
}

TEST_F(StaleDownloadsTest, LeavesSymbolicLinksAlone) {
  const QString movie = WriteFile(QStringLiteral("elsewhere/real.swf"));
  ASSERT_TRUE(QFile::link(movie, Root() + QStringLiteral(".real.swf.quillet-abcdef")));
  RemoveStaleDownloads(Root());
  EXPECT_TRUE(QFileInfo(Root() + QStringLiteral(".real.swf.quillet-abcdef")).isSymLink());
  EXPECT_TRUE(QFile::exists(movie));
}

// In the shared folder, another user's download in progress, which root's
// copy of the program must not take away.
TEST_F(StaleDownloadsTest, LeavesOtherUsersFilesAlone) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "needs root to give a file to another user";
  }
  const QString theirs = WriteFile(QStringLiteral(".xiaofg.swf.quillet-aB3dE9"));
  ASSERT_EQ(::chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
  RemoveStaleDownloads(Root());
  EXPECT_TRUE(QFileInfo::exists(theirs));
}

}  // namespace
