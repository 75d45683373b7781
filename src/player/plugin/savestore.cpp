#include "player/plugin/savestore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QUrl>
#include <algorithm>
#include <limits>

namespace {

const QString kKey = QStringLiteral("key");
const QString kValue = QStringLiteral("value");
// Earlier saves that name no game; kept, but handed to none. Game folders
// never start with a dot.
const QString kUnclaimed = QStringLiteral(".unclaimed/");

QString Sha256(const QByteArray& data) {
  return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

// The key is the movie's choice; only its hash names a file.
QString FileName(const QString& key) {
  return Sha256(key.toUtf8()) + QStringLiteral(".json");
}

// A save file's key and value, when the file is one and belongs to its key.
bool ReadSave(const QString& path, qint64 sizeLimit, QString* key, QString* value) {
  QFile file(path);
  if (file.size() > sizeLimit || !file.open(QIODevice::ReadOnly))
    return false;
  const QJsonObject entry = QJsonDocument::fromJson(file.readAll()).object();
  *key = entry.value(kKey).toString();
  *value = entry.value(kValue).toString();
  return !key->isEmpty() && entry.value(kValue).isString() &&
         QFileInfo(path).fileName() == FileName(*key);
}

// The game an earlier version's key belongs to. Ruffle names a shared object
// "<host>/<movie path>/<name>", and the host page was quillet://player/ with
// the movie's file name as its path; a key at the local path "/"
// ("player//<name>") names no game.
QString GameOfEarlierKey(const QString& key) {
  const QStringList parts = key.split(QLatin1Char('/'));
  if (parts.size() < 3 || parts[0] != QLatin1String("player") || parts[1].isEmpty())
    return {};
  const QString game = QUrl::fromPercentEncoding(parts[1].toUtf8());
  return game.contains(QLatin1Char('/')) ? QString() : game;
}

}  // namespace

QString SaveStore::GameFolderName(const QString& game) {
  // A movie's file name as it is, when it makes a plain folder name;
  // otherwise its hash, marked with a "#" that no plain name starts with.
  const QByteArray utf8 = game.toUtf8();
  const bool plain = !game.isEmpty() && utf8.size() <= 200 && !game.startsWith(QLatin1Char('.')) &&
                     !game.startsWith(QLatin1Char('#')) && !game.contains(QLatin1Char('/')) &&
                     !game.contains(QChar(0));
  return plain ? game : QLatin1Char('#') + Sha256(utf8);
}

QString SaveStore::FileFor(const QString& game, const QString& key) const {
  return m_folder + GameFolderName(game) + QLatin1Char('/') + FileName(key);
}

void SaveStore::MoveEarlierSaves() {
  // Earlier versions kept every game's saves together, one file per key
  // directly in the folder. Each moves, under the same name, into the
  // folder of the game its key names; anything else is set aside, never
  // deleted.
  const QDir folder(m_folder);
  for (const QString& name : folder.entryList({QStringLiteral("*.json")}, QDir::Files)) {
    const QString path = folder.filePath(name);
    QString key, value;
    const QString game = ReadSave(path, std::numeric_limits<qint64>::max(), &key, &value)
                             ? GameOfEarlierKey(key)
                             : QString();
    QString target = m_folder + kUnclaimed + name;
    if (!game.isEmpty()) {
      const QString own = FileFor(game, key);
      // A save the game made since is newer than the earlier one.
      if (!QFile::exists(own))
        target = own;
    }
    if (QDir().mkpath(QFileInfo(target).path()) && !QFile::exists(target))
      QFile::rename(path, target);
  }
}

void SaveStore::CountAllGames() {
  // The other games are charged by their files' sizes, which are never less
  // than their keys and values: reading them all would cost more. No game is
  // charged more than its bound, since no more is ever handed over: saves
  // an earlier version let grow further take no room from other games.
  const QDir folder(m_folder);
  for (const QString& game : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    qint64 charge = 0;
    const QDir files(folder.filePath(game));
    for (const QFileInfo& file : files.entryInfoList({QStringLiteral("*.json")}, QDir::Files))
      charge += file.size() + kCostPerObject;
    charge = std::min(charge, m_gameBound);
    m_charged.insert(game, charge);
    m_total += charge;
  }
}

SaveStore::Opened SaveStore::Open(const QString& game) {
  if (game.isEmpty())
    return {};
  if (!m_started) {
    m_started = true;
    MoveEarlierSaves();
    CountAllGames();
  }
  // Read in a fixed order up to the game's bound: what does not fit then is
  // not handed over (it stays on disk), and a file too large to fit is not
  // even read.
  Opened opened;
  QHash<QString, qint64> charges;
  qint64 used = 0;
  const QDir folder(m_folder + GameFolderName(game));
  for (const QString& name :
       folder.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
    if (used + kCostPerObject > m_gameBound)
      break;
    QString key, value;
    // A file takes at most six bytes per character of its key and value
    // (escapes); a larger one cannot fit.
    if (!ReadSave(folder.filePath(name), 6 * (m_gameBound - used) + 64, &key, &value))
      continue;
    const qint64 cost = Cost(key, value);
    if (used + cost > m_gameBound)
      continue;
    used += cost;
    charges.insert(key, cost);
    opened.saves.insert(key, value);
  }
  const QString folderName = GameFolderName(game);
  m_total += used - m_charged.value(folderName);
  m_charged.insert(folderName, used);
  m_open.insert(game, charges);
  opened.allowance = std::max<qint64>(0, std::min(m_gameBound, m_totalBound - (m_total - used)));
  return opened;
}

bool SaveStore::Write(const QString& game, const QString& key, const QString& value) {
  const auto open = m_open.find(game);
  if (open == m_open.end() || key.isEmpty())
    return false;
  const QString folderName = GameFolderName(game);
  const qint64 used = m_charged.value(folderName);
  const qint64 cost = Cost(key, value);
  const qint64 after = used - open->value(key) + cost;
  if (after > m_gameBound || m_total - used + after > m_totalBound)
    return false;
  if (!QDir().mkpath(m_folder + folderName))
    return false;
  QSaveFile file(FileFor(game, key));
  if (!file.open(QIODevice::WriteOnly))
    return false;
  file.write(
      QJsonDocument(QJsonObject{{kKey, key}, {kValue, value}}).toJson(QJsonDocument::Compact));
  if (!file.commit())
    return false;
  open->insert(key, cost);
  m_charged.insert(folderName, after);
  m_total += after - used;
  return true;
}

bool SaveStore::Remove(const QString& game, const QString& key) {
  const auto open = m_open.find(game);
  if (open == m_open.end())
    return false;
  const QString path = FileFor(game, key);
  if (QFile::exists(path) && !QFile::remove(path))
    return false;
  const qint64 cost = open->take(key);
  const QString folderName = GameFolderName(game);
  m_charged.insert(folderName, m_charged.value(folderName) - cost);
  m_total -= cost;
  return true;
}

QString SaveStore::Read(const QString& game, const QString& key) const {
  QString stored, value;
  if (game.isEmpty() || !ReadSave(FileFor(game, key), 6 * m_gameBound + 64, &stored, &value) ||
      stored != key)
    return {};
  return value;
}
