#pragma once

#include <QHash>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <chrono>
#include <optional>

// Game saves on disk, kept per game as the Flash control kept shared objects
// per movie: a game (a movie's file name, whatever folder it was played
// from) reads and changes only its own saves, one file per shared object in
// a folder of its own. The store is the program's rather than the web
// engine's, so that a second copy of the program sees and keeps the saves
// too. Every write replaces one whole file atomically; the last save of an
// object wins, as it did with the Flash control's files.
//
// Saves are bounded per game and in total. A save is charged its key and
// value in UTF-8 bytes plus a fixed cost per object (which also bounds the
// number of files a game can make); a change that would pass a bound is
// refused. The game's files on disk are what it is charged, so copies of the
// program share one bound. Only regular files are read, never through a link.
//
// A game's changes reach the disk at most once per kWriteInterval: the later
// ones wait, and only the last state of each save is written. Flush() writes
// what waits at once; run it when a movie is replaced or quit and when the
// program closes (the destructor runs it too). The store needs the thread's
// event loop for the writes that wait.
class SaveStore {
 public:
  // folder ends in "/"; it is created when the first save is written.
  explicit SaveStore(QString folder, qint64 gameBound = kGameBound,
                     qint64 totalBound = kTotalBound);
  ~SaveStore();
  SaveStore(const SaveStore&) = delete;
  SaveStore& operator=(const SaveStore&) = delete;

  struct Opened {
    QJsonObject saves;     // key -> value
    qint64 allowance = 0;  // what all of the game's saves may be charged
  };
  // The game's saves and its allowance, read afresh from disk (another copy
  // of the program may have saved since). The first call moves the saves
  // of earlier versions into their games.
  Opened Open(const QString& game);

  // Refused (false) when the game was not opened, when the change would pass
  // a bound, when the key or value is not valid UTF-16 (it could not be
  // stored as it is), or when the file's place holds something else than a
  // save (a link, a folder).
  bool Write(const QString& game, const QString& key, const QString& value);
  bool Remove(const QString& game, const QString& key);
  // The save of a key as the game last left it; a null string when there is none.
  QString Read(const QString& game, const QString& key) const;
  // Writes every change still waiting.
  void Flush();

  static qint64 Cost(const QString& key, const QString& value) {
    return key.toUtf8().size() + value.toUtf8().size() + kCostPerObject;
  }
  // 1 MiB per game: ten times the Flash control's default of 100 KB per site,
  // and far above what the games save. 64 MiB for all games together.
  static constexpr qint64 kGameBound = 1024 * 1024;
  static constexpr qint64 kTotalBound = 64 * 1024 * 1024;
  // A save's charge beyond its key and value, here and in the page; it bounds their number.
  static constexpr qint64 kCostPerObject = 512;
  // Two writes a second: a game that saves every frame costs the disk little,
  // and a quit or a crash loses at most half a second of it.
  static constexpr std::chrono::milliseconds kWriteInterval{500};

  // The folder, under the store's, of a game's saves.
  static QString GameFolderName(const QString& game);

 private:
  using Changes = QHash<QString, std::optional<QString>>;  // key -> value, or removed

  QString FileFor(const QString& game, const QString& key) const;
  void MoveEarlierSaves();
  void CountAllGames();
  QHash<QString, qint64> Charges(const QString& game) const;
  qint64 Charge(const QString& game) const;
  void SetCharge(const QString& game, qint64 charge);
  bool Change(const QString& game, const QString& key, const std::optional<QString>& value);
  bool WriteOut(const QString& game);
  void WriteDue();

  QString m_folder;
  qint64 m_gameBound;
  qint64 m_totalBound;
  bool m_started = false;
  // What each game's saves are charged, no game more than its bound.
  QHash<QString, qint64> m_charged;  // game folder -> charge
  qint64 m_total = 0;
  QSet<QString> m_open;
  QHash<QString, Changes> m_waiting;
  QHash<QString, qint64> m_lastWrite;  // game -> ms on a monotonic clock
  QTimer m_timer;
};
