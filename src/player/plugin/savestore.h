#pragma once

#include <QHash>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <chrono>
#include <optional>

// Game saves, a file per shared object in a folder per game (a movie's file name), kept
// by the program, not the engine, so that a second copy shares them and their bounds.
// Files are replaced whole and atomically; only regular files are read, never via a link.
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
  // Read afresh (another copy may have saved); the first call moves earlier versions' saves.
  Opened Open(const QString& game);

  // Refused when the game is not open, a bound would pass, the text is not valid
  // UTF-16, or something else than a save (a link, a folder) holds the file's place.
  bool Write(const QString& game, const QString& key, const QString& value);
  bool Remove(const QString& game, const QString& key);
  // The save of a key as the game last left it; a null string when there is none.
  QString Read(const QString& game, const QString& key) const;
  void Flush();

  static qint64 Cost(const QString& key, const QString& value) {
    return key.toUtf8().size() + value.toUtf8().size() + kCostPerObject;
  }
  // Per game ten times the Flash control's 100 KB per site, far above what games save.
  static constexpr qint64 kGameBound = 1024 * 1024;
  static constexpr qint64 kTotalBound = 64 * 1024 * 1024;
  // Charged per save beyond key and value, by page and store alike; it bounds the count.
  static constexpr qint64 kCostPerObject = 512;
  // A game saving every frame costs the disk little; a crash loses half a second.
  static constexpr std::chrono::milliseconds kWriteInterval{500};

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
