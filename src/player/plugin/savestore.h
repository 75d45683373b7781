#pragma once

#include "player/playersettings.h"

#include <QHash>
#include <QJsonObject>
#include <QString>

// Game saves on disk, kept per game as the Flash control kept shared objects
// per movie: a game (a movie's file name, whatever folder it was played
// from) reads and changes only its own saves, one file per shared object in
// a folder of its own. The store is the program's rather than the web
// engine's, so that a second copy of the program sees and keeps the saves
// too. Every write replaces one whole file atomically; the last save of an
// object wins, as it did with the Flash control's files.
//
// Saves are bounded per game and in total. A save is charged its key and
// value lengths plus a fixed cost per object (which also bounds the number
// of files a game can make); a change that would pass a bound is refused.
class SaveStore {
 public:
  // folder ends in "/"; it is created when the first save is written.
  explicit SaveStore(QString folder, qint64 gameBound = kGameBound, qint64 totalBound = kTotalBound)
      : m_folder(std::move(folder)), m_gameBound(gameBound), m_totalBound(totalBound) {}

  struct Opened {
    QJsonObject saves;     // key -> value
    qint64 allowance = 0;  // what all of the game's saves may be charged
  };
  // The game's saves and its allowance, read afresh from disk (another copy
  // of the program may have saved since). The first call moves the saves
  // of earlier versions into their games.
  Opened Open(const QString& game);

  // Refused (false) when the game was not opened, when the change would pass
  // a bound, or when the file cannot be written.
  bool Write(const QString& game, const QString& key, const QString& value);
  bool Remove(const QString& game, const QString& key);
  // The save of a key as it is on disk; a null string when there is none.
  QString Read(const QString& game, const QString& key) const;

  static qint64 Cost(const QString& key, const QString& value) {
    return key.size() + value.size() + kCostPerObject;
  }
  // 1 MiB per game: ten times the Flash control's default of 100 KB per site,
  // and far above what the games save. 64 MiB for all games together.
  static constexpr qint64 kGameBound = 1024 * 1024;
  static constexpr qint64 kTotalBound = 64 * 1024 * 1024;
  static constexpr qint64 kCostPerObject = playersettings::kSaveOverhead;

  // The folder, under the store's, of a game's saves.
  static QString GameFolderName(const QString& game);

 private:
  QString FileFor(const QString& game, const QString& key) const;
  void MoveEarlierSaves();
  void CountAllGames();

  QString m_folder;
  qint64 m_gameBound;
  qint64 m_totalBound;
  bool m_started = false;
  // What each game's saves are charged: exactly for the games opened here,
  // from their files' sizes (never less) for the others.
  QHash<QString, qint64> m_charged;  // game folder -> charge
  qint64 m_total = 0;
  // The opened games' saves: game -> key -> charge.
  QHash<QString, QHash<QString, qint64>> m_open;
};
