// Game saves kept as files per game, shared by copies of the program.

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include "player/plugin/savestore.h"
#include "support/holdsfor.h"
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
  // A save as earlier versions wrote it: every game's in one folder.
  void WriteEarlierSave(const QString& key, const QString& value) const {
    const QString name = QString::fromLatin1(
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex());
    WriteFile(
        QStringLiteral("data/saves/") + name + QStringLiteral(".json"),
        QJsonDocument(QJsonObject{{QStringLiteral("key"), key}, {QStringLiteral("value"), value}})
            .toJson());
  }
};

TEST_F(SaveStoreTest, StartsEmptyWithoutCreatingItsFolder) {
  SaveStore store(Folder());
  EXPECT_TRUE(store.Open(QStringLiteral("game.swf")).saves.isEmpty());
  EXPECT_EQ(store.Open(QStringLiteral("game.swf")).allowance, SaveStore::kGameBound);
  EXPECT_FALSE(QDir(Folder()).exists());
}

TEST_F(SaveStoreTest, EachGameGetsOnlyItsOwnSavesAcrossCopies) {
  SaveStore writer(Folder());
  const QString game = QStringLiteral("game.swf"), other = QStringLiteral("other.swf");
  writer.Open(game);
  writer.Open(other);
  ASSERT_TRUE(writer.Write(game, QStringLiteral("player/game.swf/slot"), QStringLiteral("AAEC")));
  ASSERT_TRUE(writer.Write(game, QStringLiteral("player/game.swf/slot"), QStringLiteral("AwQF")));
  // The same key, at the local path "/", is each game's own.
  ASSERT_TRUE(writer.Write(game, QStringLiteral("player//common"), QStringLiteral("mine")));
  ASSERT_TRUE(writer.Write(other, QStringLiteral("player//common"), QStringLiteral("theirs")));
  ASSERT_TRUE(writer.Write(other, QStringLiteral("player/other.swf/存档"), QStringLiteral("数据")));
  // Many more games with saves of their own.
  for (int i = 0; i < 100; ++i) {
    const QString many = QStringLiteral("many%1.swf").arg(i);
    writer.Open(many);
    ASSERT_TRUE(
        writer.Write(many, QStringLiteral("player//common"), QString(1000, QLatin1Char('x'))));
  }

  // Another copy of the program reads the same folder.
  writer.Flush();
  SaveStore reader(Folder());
  const QJsonObject mine = reader.Open(game).saves;
  EXPECT_EQ(mine.size(), 2);
  EXPECT_EQ(mine.value(QStringLiteral("player/game.swf/slot")).toString(), QStringLiteral("AwQF"));
  EXPECT_EQ(mine.value(QStringLiteral("player//common")).toString(), QStringLiteral("mine"));
  const QJsonObject theirs = reader.Open(other).saves;
  EXPECT_EQ(theirs.size(), 2);
  EXPECT_EQ(theirs.value(QStringLiteral("player//common")).toString(), QStringLiteral("theirs"));

  // A game changes only its own.
  EXPECT_TRUE(reader.Remove(game, QStringLiteral("player//common")));
  EXPECT_TRUE(reader.Remove(game, QStringLiteral("never saved")));
  reader.Flush();
  EXPECT_EQ(SaveStore(Folder()).Open(game).saves.keys(),
            QStringList{QStringLiteral("player/game.swf/slot")});
  EXPECT_EQ(SaveStore(Folder()).Open(other).saves.size(), 2);
  // Nothing is written for a game that was not opened, nor for no game.
  EXPECT_FALSE(
      reader.Write(QStringLiteral("closed.swf"), QStringLiteral("k"), QStringLiteral("v")));
  EXPECT_FALSE(reader.Write(QString(), QStringLiteral("k"), QStringLiteral("v")));
  EXPECT_FALSE(reader.Write(game, QString(), QStringLiteral("v")));
}

TEST_F(SaveStoreTest, KeysAndGamesNeverNameFilesOutsideTheFolder) {
  SaveStore store(Folder());
  const QStringList names = {QStringLiteral("../../escape"), QStringLiteral("/etc/passwd"),
                             QStringLiteral("a\\..\\b"),     QString::fromUtf16(u"nul\0byte", 8),
                             QStringLiteral(".."),           QStringLiteral(".hidden"),
                             QStringLiteral("#hash"),        QString(300, QChar(0x6E38))};
  for (const QString& name : names) {
    store.Open(name);
    ASSERT_TRUE(store.Write(name, name, QStringLiteral("x"))) << name.toStdString();
  }
  const QStringList files = AllFiles();
  EXPECT_EQ(files.size(), names.size());
  for (const QString& file : files)
    EXPECT_TRUE(file.startsWith(Folder())) << file.toStdString();
  SaveStore again(Folder());
  for (const QString& name : names)
    EXPECT_EQ(again.Open(name).saves.keys(), QStringList{name}) << name.toStdString();
}

TEST_F(SaveStoreTest, BoundsEachGameAndAllGames) {
  // Bounds of 10 and 25 objects' fixed cost, and a save's length on top.
  const qint64 unit = SaveStore::kCostPerObject;
  SaveStore store(Folder(), 10 * unit, 25 * unit);
  const QString a = QStringLiteral("a.swf"), b = QStringLiteral("b.swf"),
                c = QStringLiteral("c.swf");
  const auto value = [&](qint64 cost, const QString& key) {
    return QString(cost - unit - key.size(), QLatin1Char('v'));
  };
  EXPECT_EQ(store.Open(a).allowance, 10 * unit);
  // A whole game's room in one save, then not a byte more.
  ASSERT_TRUE(store.Write(a, QStringLiteral("k"), value(10 * unit, QStringLiteral("k"))));
  EXPECT_FALSE(store.Write(a, QStringLiteral("k2"), QString()));
  // Replacing a save is charged the difference; removing one frees its room.
  EXPECT_TRUE(store.Write(a, QStringLiteral("k"), value(4 * unit, QStringLiteral("k"))));
  EXPECT_TRUE(store.Write(a, QStringLiteral("k2"), value(6 * unit, QStringLiteral("k2"))));
  EXPECT_FALSE(store.Write(a, QStringLiteral("k"), value(4 * unit + 1, QStringLiteral("k"))));
  EXPECT_TRUE(store.Remove(a, QStringLiteral("k2")));
  EXPECT_TRUE(store.Write(a, QStringLiteral("k3"), value(6 * unit, QStringLiteral("k3"))));

  // All games together: a has 10 units, b takes 10, c finds 5 left.
  store.Open(b);
  ASSERT_TRUE(store.Write(b, QStringLiteral("k"), value(10 * unit, QStringLiteral("k"))));
  EXPECT_EQ(store.Open(c).allowance, 5 * unit);
  EXPECT_FALSE(store.Write(c, QStringLiteral("k"), value(5 * unit + 1, QStringLiteral("k"))));
  EXPECT_TRUE(store.Write(c, QStringLiteral("k"), value(5 * unit, QStringLiteral("k"))));

  // A fresh copy of the program counts what is on disk: no less than that.
  store.Flush();
  SaveStore later(Folder(), 10 * unit, 25 * unit);
  EXPECT_LE(later.Open(c).allowance, 5 * unit);
  EXPECT_FALSE(later.Write(c, QStringLiteral("more"), QString()));

  // Refused saves left nothing behind.
  EXPECT_FALSE(SaveStore(Folder()).Open(a).saves.contains(QStringLiteral("k2")));
  EXPECT_EQ(SaveStore(Folder()).Open(a).saves.value(QStringLiteral("k")).toString().size(),
            4 * unit - unit - 1);
}

TEST_F(SaveStoreTest, HandsAGameNoMoreThanItsBound) {
  // Files over the game's bound (an earlier version had none): a share of
  // them, within the bound, is handed over; none is deleted; and the rest
  // takes no room from other games.
  const qint64 unit = SaveStore::kCostPerObject;
  {
    SaveStore unbounded(Folder(), 1000 * unit, 1000 * unit);
    unbounded.Open(QStringLiteral("g.swf"));
    for (int i = 0; i < 50; ++i)
      ASSERT_TRUE(unbounded.Write(QStringLiteral("g.swf"), QString::number(i),
                                  QString(unit, QLatin1Char('v'))));
  }
  SaveStore store(Folder(), 10 * unit, 25 * unit);
  EXPECT_EQ(store.Open(QStringLiteral("other.swf")).allowance, 10 * unit);
  const SaveStore::Opened opened = store.Open(QStringLiteral("g.swf"));
  EXPECT_EQ(opened.saves.size(), 4);  // each costs just over 2 units
  EXPECT_EQ(AllFiles().size(), 50);
}

TEST_F(SaveStoreTest, MovesEarlierSavesIntoTheirGames) {
  WriteEarlierSave(QStringLiteral("player/tancs.swf/best"), QStringLiteral("T"));
  WriteEarlierSave(QStringLiteral("player/My%20Game.swf/slot"), QStringLiteral("M"));
  WriteEarlierSave(QStringLiteral("player/tancs.swf/#sub/object"), QStringLiteral("S"));
  // At the local path "/": which game saved it cannot be known.
  WriteEarlierSave(QStringLiteral("player//common"), QStringLiteral("C"));
  WriteEarlierSave(QStringLiteral("elsewhere/x.swf/y"), QStringLiteral("E"));
  // A game's own save made since wins over its earlier one.
  SaveStore first(Folder());
  first.Open(QStringLiteral("dals.swf"));
  ASSERT_TRUE(first.Write(QStringLiteral("dals.swf"), QStringLiteral("player/dals.swf/s"),
                          QStringLiteral("new")));
  WriteEarlierSave(QStringLiteral("player/dals.swf/s"), QStringLiteral("old"));
  WriteFile(QStringLiteral("data/saves/broken.json"), "{not json");
  WriteFile(QStringLiteral("data/saves/0000.json"), R"({"key":"player/tancs.swf/x","value":"F"})");
  WriteFile(QStringLiteral("data/saves/notes.txt"), "kept as it is");
  const qsizetype before = AllFiles().size();

  SaveStore store(Folder());
  const QJsonObject tancs = store.Open(QStringLiteral("tancs.swf")).saves;
  EXPECT_EQ(tancs.size(), 2);
  EXPECT_EQ(tancs.value(QStringLiteral("player/tancs.swf/best")).toString(), QStringLiteral("T"));
  EXPECT_EQ(tancs.value(QStringLiteral("player/tancs.swf/#sub/object")).toString(),
            QStringLiteral("S"));
  EXPECT_EQ(store.Open(QStringLiteral("My Game.swf")).saves.keys(),
            QStringList{QStringLiteral("player/My%20Game.swf/slot")});
  EXPECT_EQ(store.Open(QStringLiteral("dals.swf")).saves.value(QStringLiteral("player/dals.swf/s")),
            QStringLiteral("new"));
  for (const QString& game : {QString(), QStringLiteral("x.swf"), QStringLiteral("elsewhere")})
    EXPECT_TRUE(store.Open(game).saves.isEmpty());
  // Nothing was deleted, and only notes.txt is left where it was.
  EXPECT_EQ(AllFiles().size(), before);
  EXPECT_EQ(QDir(Folder()).entryList(QDir::Files), QStringList{QStringLiteral("notes.txt")});
  // Moved once: a second copy finds them in place.
  EXPECT_EQ(SaveStore(Folder()).Open(QStringLiteral("tancs.swf")).saves, tancs);
}

// Planted among a game's saves and at the top of the folder: a link out of
// it, an endless device, a FIFO, a linked game folder. None is read, waited
// for, written through or moved.
TEST_F(SaveStoreTest, ReadsOnlyRegularFilesOfItsOwn) {
  const QString game = QStringLiteral("game.swf"), key = QStringLiteral("slot");
  const QString outside =
      WriteFile(QStringLiteral("outside/x.json"), R"({"key":"slot","value":"out"})");
  const QString own = MakeFolder(QStringLiteral("data/saves/game.swf"));
  ASSERT_TRUE(QFile::link(
      outside,
      own + QLatin1String(QCryptographicHash::hash("slot", QCryptographicHash::Sha256).toHex()) +
          QLatin1String(".json")));
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), own + QStringLiteral("0.json")));
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), Folder() + QStringLiteral("0.json")));
  ASSERT_EQ(::mkfifo(QFile::encodeName(own + QStringLiteral("1.json")).constData(), 0600), 0);
  ASSERT_TRUE(QFile::link(Root() + QStringLiteral("outside"), Folder() + QStringLiteral("linked")));
  const QStringList before = AllFiles();
  SaveStore store(Folder());
  for (const QString& name : {game, QStringLiteral("linked")}) {
    EXPECT_TRUE(store.Open(name).saves.isEmpty());
    EXPECT_FALSE(store.Write(name, key, QStringLiteral("mine")));
  }
  EXPECT_EQ(store.Open(QStringLiteral("other.swf")).allowance, SaveStore::kGameBound);
  EXPECT_TRUE(ReadWholeFile(outside).contains("out"));
  EXPECT_EQ(AllFiles(), before);
}

// Copies of the program share a game's bound, counted in bytes as stored
// (a Chinese character takes three); keys that differ never share a file.
TEST_F(SaveStoreTest, BoundHoldsAcrossCopiesInStoredBytes) {
  const QString game = QStringLiteral("game.swf"), big(600 * 1024, QLatin1Char('v'));
  SaveStore one(Folder()), two(Folder());
  one.Open(game);
  two.Open(game);
  EXPECT_TRUE(one.Write(game, QStringLiteral("a"), big));
  EXPECT_FALSE(two.Write(game, QStringLiteral("b"), big));
  EXPECT_FALSE(one.Write(game, QStringLiteral("a"), QString(400000, QChar(0x5B58))));
  EXPECT_TRUE(one.Write(game, QStringLiteral("a"), QString(300000, QChar(0x5B58))));
  int kept = 0;
  for (const QChar lone : {QChar(0xD800), QChar(0xDC00)})
    kept += two.Write(game, QStringLiteral("k") + lone, QStringLiteral("v")) ? 1 : 0;
  two.Flush();
  EXPECT_EQ(AllFiles().size(), 1 + kept);
}

// A movie that saves 700 KB every frame: a few writes a second reach the
// disk, and the last state always does, in time, by Flush and on destruction.
TEST_F(SaveStoreTest, SaveFloodIsWrittenAFewTimesASecond) {
  const QString game = QStringLiteral("game.swf"), key = QStringLiteral("flood");
  const auto value = [](int n) { return QString::number(n).leftJustified(700 * 1024, u'x'); };
  const auto written = [] {  // bytes this process wrote, from the kernel's count
    QFile io(QStringLiteral("/proc/self/io"));
    const QByteArray text = io.open(QIODevice::ReadOnly) ? io.readAll() : QByteArray();
    return text.mid(text.indexOf("wchar:") + 6).split('\n').first().trimmed().toLongLong();
  };
  SaveStore store(Folder());
  store.Open(game);
  const qint64 before = written();
  // A save every 16 ms frame for 2 s, each one taken.
  int frame = 0;
  bool taken = true;
  QTimer frames;
  QObject::connect(&frames, &QTimer::timeout, &frames,
                   [&] { taken = taken && store.Write(game, key, value(++frame)); });
  frames.start(16);
  ASSERT_TRUE(HoldsFor([&] { return taken; }, 2000)) << "save " << frame << " was refused";
  frames.stop();
  EXPECT_LT(written() - before, 6 * 700 * 1024) << frame << " saves in 2 s";
  EXPECT_TRUE(QTest::qWaitFor([&] { return SaveStore(Folder()).Read(game, key) == value(frame); }));
  {
    SaveStore closing(Folder());
    closing.Open(game);
    ASSERT_TRUE(closing.Write(game, key, value(-1)) && closing.Write(game, key, value(-2)));
    EXPECT_EQ(closing.Read(game, key), value(-2));
  }
  EXPECT_EQ(SaveStore(Folder()).Read(game, key), value(-2));
  ASSERT_TRUE(store.Write(game, key, value(-3)));
  store.Flush();
  EXPECT_EQ(SaveStore(Folder()).Read(game, key), value(-3));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
