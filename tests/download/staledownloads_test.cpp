// Clean-up of the temporary files that a killed download leaves behind.

#include "launch/download.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {

using StaleDownloadsTest = TempFolderTest;

TEST_F(StaleDownloadsTest, RemovesOnlyTemporaryMovieFiles) {
  const QStringList kept = {
      QStringLiteral("xiaofg.swf"),       QStringLiteral("d21.swf"),
      QStringLiteral("xiaofg.swf.abc"),   QStringLiteral("xiaofg.swf.abcdefg"),
      QStringLiteral("notes.txt.abcdef"), QStringLiteral("xiaofg.swf.ab-def"),
      QStringLiteral(".swf.abcdef"),      QStringLiteral("xiaofg.SWF.abcdef.swf"),
  };
  for (const QString& name : kept) {
    WriteFile(name);
  }
  WriteFile(QStringLiteral("xiaofg.swf.aB3dE9"));
  WriteFile(QStringLiteral("d21.swf.Zz0000"));
  MakeFolder(QStringLiteral("tancs.swf.abcdef"));  // a folder, not ours

  RemoveStaleDownloads(Root());

  QStringList expected = kept;
  expected << QStringLiteral("tancs.swf.abcdef");
  expected.sort();
  QStringList found =
      QDir(Root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  found.sort();
  EXPECT_EQ(found, expected);
}

TEST_F(StaleDownloadsTest, MatchesTheNamesQtGivesTemporaryFiles) {
  // QSaveFile and QTemporaryFile share the naming: the target plus ".XXXXXX".
  for (int i = 0; i < 20; ++i) {
    QTemporaryFile file(Root() + QStringLiteral("xiaofg.swf"));
    ASSERT_TRUE(file.open());
    EXPECT_TRUE(IsStaleDownloadName(QFileInfo(file.fileName()).fileName()))
        << file.fileName().toStdString();
  }
}

TEST_F(StaleDownloadsTest, LeavesSymbolicLinksAlone) {
  const QString movie = WriteFile(QStringLiteral("elsewhere/real.swf"));
  ASSERT_TRUE(QFile::link(movie, Root() + QStringLiteral("real.swf.abcdef")));
  RemoveStaleDownloads(Root());
  EXPECT_TRUE(QFileInfo(Root() + QStringLiteral("real.swf.abcdef")).isSymLink());
  EXPECT_TRUE(QFile::exists(movie));
}

}  // namespace
