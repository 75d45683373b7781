// Game saves kept as files, shared by copies of the program.

#include <QDir>
#include <QDirIterator>

#include "player/plugin/savestore.h"
#include "support/testsupport.h"

namespace {

class SaveStoreTest : public TempFolderTest {
 protected:
  QString Folder() const { return Root() + QStringLiteral("data/saves/"); }
  // Every file under the temporary root, wherever it is.
  QStringList AllFiles() const {
    QStringList files;
    QDirIterator it(Root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
      files << it.next();
    return files;
  }
};

TEST_F(SaveStoreTest, StartsEmptyWithoutCreatingItsFolder) {
  SaveStore store(Folder());
  EXPECT_TRUE(store.ReadAll().isEmpty());
  EXPECT_FALSE(QDir(Folder()).exists());
}

TEST_F(SaveStoreTest, KeepsSavesAcrossStoresOnTheSameFolder) {
  SaveStore writer(Folder());
  ASSERT_TRUE(writer.Write(QStringLiteral("player/game.swf/slot"), QStringLiteral("AAEC")));
  ASSERT_TRUE(writer.Write(QStringLiteral("player/other.swf/存档"), QStringLiteral("数据")));
  ASSERT_TRUE(writer.Write(QStringLiteral("player/game.swf/slot"), QStringLiteral("AwQF")));

  // Another copy of the program reads the same folder.
  const QJsonObject all = SaveStore(Folder()).ReadAll();
  EXPECT_EQ(all.size(), 2);
  EXPECT_EQ(all.value(QStringLiteral("player/game.swf/slot")).toString(), QStringLiteral("AwQF"));
  EXPECT_EQ(all.value(QStringLiteral("player/other.swf/存档")).toString(), QStringLiteral("数据"));

  EXPECT_TRUE(writer.Remove(QStringLiteral("player/game.swf/slot")));
  EXPECT_TRUE(writer.Remove(QStringLiteral("never saved")));
  EXPECT_EQ(SaveStore(Folder()).ReadAll().keys(),
            QStringList{QStringLiteral("player/other.swf/存档")});
}

TEST_F(SaveStoreTest, KeysNeverNameFilesOutsideTheFolder) {
  SaveStore store(Folder());
  const QStringList keys = {QStringLiteral("../../escape"), QStringLiteral("/etc/passwd"),
                            QStringLiteral("a\\..\\b"), QString::fromUtf16(u"nul\0byte", 8)};
  for (const QString& key : keys)
    ASSERT_TRUE(store.Write(key, QStringLiteral("x")));
  const QStringList files = AllFiles();
  EXPECT_EQ(files.size(), keys.size());
  for (const QString& file : files)
    EXPECT_TRUE(file.startsWith(Folder())) << file.toStdString();
  EXPECT_EQ(store.ReadAll().size(), keys.size());
}

TEST_F(SaveStoreTest, RefusesEmptyKeysAndHugeValues) {
  SaveStore store(Folder());
  EXPECT_FALSE(store.Write(QString(), QStringLiteral("x")));
  EXPECT_FALSE(
      store.Write(QStringLiteral("big"), QString(SaveStore::kMaxValueSize + 1, QLatin1Char('x'))));
  EXPECT_TRUE(store.ReadAll().isEmpty());
}

TEST_F(SaveStoreTest, SkipsFilesThatAreNotItsOwn) {
  SaveStore store(Folder());
  ASSERT_TRUE(store.Write(QStringLiteral("real"), QStringLiteral("1")));
  // A file claiming another key than its name stands for, and broken files.
  WriteFile(QStringLiteral("data/saves/0000.json"), R"({"key":"forged","value":"2"})");
  WriteFile(QStringLiteral("data/saves/broken.json"), "{not json");
  WriteFile(QStringLiteral("data/saves/notes.txt"), R"({"key":"real","value":"3"})");
  const QJsonObject all = store.ReadAll();
  EXPECT_EQ(all.keys(), QStringList{QStringLiteral("real")});
  EXPECT_EQ(all.value(QStringLiteral("real")).toString(), QStringLiteral("1"));
}

}  // namespace
