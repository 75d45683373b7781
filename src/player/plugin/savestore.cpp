#include "player/plugin/savestore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

const QString kKey = QStringLiteral("key");
const QString kValue = QStringLiteral("value");
// Earlier saves naming no game: kept, handed to none. Game folders never start with ".".
const QString kUnclaimed = QStringLiteral(".unclaimed/");
// What a file holds besides its key and value: {"key":"","value":""}.
constexpr qint64 kWrapperBytes = 21;

QString Sha256(const QByteArray& data) {
  return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

// The key is the movie's choice; only its hash names a file.
QString FileName(const QString& key) {
  return Sha256(key.toUtf8()) + QStringLiteral(".json");
}

qint64 Now() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Never less than key and value: escapes only make a file longer.
qint64 FileCharge(qint64 size) {
  return std::max<qint64>(0, size - kWrapperBytes) + SaveStore::kCostPerObject;
}

// Nothing at path, or the given type itself (a link is none).
bool AbsentOr(const QString& path, mode_t type) {
  struct stat status{};
  if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
    return errno == ENOENT;
  return (status.st_mode & S_IFMT) == type;
}

// A regular file within sizeLimit holding one save that belongs to its name; a link,
// device or FIFO is neither followed nor waited for.
bool ReadSave(const QString& path, qint64 sizeLimit, QString* key, QString* value) {
  const int fd = ::open(QFile::encodeName(path).constData(),
                        O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0)
    return false;
  struct stat status{};
  QFile file;
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > sizeLimit ||
      !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return false;
  }
  const QByteArray data = file.read(status.st_size + 1);
  if (data.size() > status.st_size)
    return false;  // it grew meanwhile
  const QJsonObject entry = QJsonDocument::fromJson(data).object();
  *key = entry.value(kKey).toString();
  *value = entry.value(kValue).toString();
  return !key->isEmpty() && entry.value(kValue).isString() &&
         QFileInfo(path).fileName() == FileName(*key);
}

QHash<QString, qint64> FilesOnDisk(const QString& folder) {
  QHash<QString, qint64> charges;
  if (!AbsentOr(folder, S_IFDIR))
    return charges;
  const QDir files(folder);
  for (const QFileInfo& file :
       files.entryInfoList({QStringLiteral("*.json")}, QDir::Files | QDir::NoSymLinks))
    charges.insert(file.fileName(), FileCharge(file.size()));
  return charges;
}

// Earlier keys were "<host>/<movie path>/<name>" with the page at quillet://player/
// and the movie's file name as path; "player//<name>" names no game.
QString GameOfEarlierKey(const QString& key) {
  const QStringList parts = key.split(QLatin1Char('/'));
  if (parts.size() < 3 || parts[0] != QLatin1String("player") || parts[1].isEmpty())
    return {};
  const QString game = QUrl::fromPercentEncoding(parts[1].toUtf8());
  return game.contains(QLatin1Char('/')) ? QString() : game;
}

}  // namespace

SaveStore::SaveStore(QString folder, qint64 gameBound, qint64 totalBound)
    : m_folder(std::move(folder)), m_gameBound(gameBound), m_totalBound(totalBound) {
  m_timer.setSingleShot(true);
  QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { WriteDue(); });
}

SaveStore::~SaveStore() {
  Flush();
}

QString SaveStore::GameFolderName(const QString& game) {
  // The file name when it makes a plain folder name, else "#" and its hash.
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
  // Earlier versions' saves move into their key's game; others are set aside, never deleted.
  const QDir folder(m_folder);
  for (const QString& name :
       folder.entryList({QStringLiteral("*.json")}, QDir::Files | QDir::NoSymLinks)) {
    const QString path = folder.filePath(name);
    QString key, value;
    const QString game =
        ReadSave(path, 6 * m_gameBound + 64, &key, &value) ? GameOfEarlierKey(key) : QString();
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
  // Other games by file size (cheaper than reading), capped at their bound so that old
  // oversized saves take no room from the rest.
  const QDir folder(m_folder);
  for (const QString& game :
       folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
    qint64 charge = 0;
    for (const qint64 file : FilesOnDisk(folder.filePath(game)))
      charge += file;
    charge = std::min(charge, m_gameBound);
    m_charged.insert(game, charge);
    m_total += charge;
  }
}

// By file name: the files on disk (another copy's included) plus changes still waiting.
QHash<QString, qint64> SaveStore::Charges(const QString& game) const {
  QHash<QString, qint64> files = FilesOnDisk(m_folder + GameFolderName(game));
  const Changes waiting = m_waiting.value(game);
  for (auto it = waiting.begin(); it != waiting.end(); ++it)
    files.insert(FileName(it.key()), it.value() ? Cost(it.key(), *it.value()) : 0);
  return files;
}

qint64 SaveStore::Charge(const QString& game) const {
  qint64 charge = 0;
  for (const qint64 file : Charges(game))
    charge += file;
  return charge;
}

void SaveStore::SetCharge(const QString& game, qint64 charge) {
  const QString folderName = GameFolderName(game);
  charge = std::min(charge, m_gameBound);
  m_total += charge - m_charged.value(folderName);
  m_charged.insert(folderName, charge);
}

SaveStore::Opened SaveStore::Open(const QString& game) {
  if (game.isEmpty())
    return {};
  if (!m_started) {
    m_started = true;
    MoveEarlierSaves();
    CountAllGames();
  }
  WriteOut(game);
  // In a fixed order up to the bound; what does not fit stays on disk, unread if too large.
  Opened opened;
  qint64 used = 0;
  const QString path = m_folder + GameFolderName(game);
  const QStringList names = AbsentOr(path, S_IFDIR)
                                ? QDir(path).entryList({QStringLiteral("*.json")},
                                                       QDir::Files | QDir::NoSymLinks, QDir::Name)
                                : QStringList();
  const QDir folder(path);
  for (const QString& name : names) {
    if (used + kCostPerObject > m_gameBound)
      break;
    QString key, value;
    // Escapes take at most six bytes per byte: a larger file cannot fit.
    if (!ReadSave(folder.filePath(name), 6 * (m_gameBound - used) + 64, &key, &value))
      continue;
    const qint64 cost = Cost(key, value);
    if (used + cost > m_gameBound)
      continue;
    used += cost;
    opened.saves.insert(key, value);
  }
  SetCharge(game, Charge(game));
  m_open.insert(game);
  const qint64 others = m_total - m_charged.value(GameFolderName(game));
  opened.allowance = std::max<qint64>(0, std::min(m_gameBound, m_totalBound - others));
  return opened;
}

bool SaveStore::Change(const QString& game, const QString& key,
                       const std::optional<QString>& value) {
  if (!m_open.contains(game) || key.isEmpty() || !key.isValidUtf16() ||
      (value && !value->isValidUtf16()))
    return false;
  // Something planted in a save's place is left as it is, and not written through.
  if (!AbsentOr(m_folder + GameFolderName(game), S_IFDIR) || !AbsentOr(FileFor(game, key), S_IFREG))
    return false;
  const QHash<QString, qint64> charges = Charges(game);
  qint64 before = 0;
  for (const qint64 file : charges)
    before += file;
  const qint64 current = charges.value(FileName(key));
  const qint64 after = before - current + (value ? Cost(key, *value) : 0);
  const qint64 others = m_total - m_charged.value(GameFolderName(game));
  if (after > before && (after > m_gameBound || others + after > m_totalBound))
    return false;
  m_waiting[game].insert(key, value);
  SetCharge(game, after);
  const auto last = m_lastWrite.constFind(game);
  if (last == m_lastWrite.constEnd() || Now() - *last >= kWriteInterval.count())
    return WriteOut(game);
  if (!m_timer.isActive())
    m_timer.start(std::max<qint64>(0, *last + kWriteInterval.count() - Now()));
  return true;
}

bool SaveStore::Write(const QString& game, const QString& key, const QString& value) {
  return Change(game, key, value);
}

bool SaveStore::Remove(const QString& game, const QString& key) {
  return Change(game, key, std::nullopt);
}

bool SaveStore::WriteOut(const QString& game) {
  const Changes waiting = m_waiting.take(game);
  if (waiting.isEmpty())
    return true;
  m_lastWrite.insert(game, Now());
  const QString folder = m_folder + GameFolderName(game);
  bool ok = QDir().mkpath(folder) && AbsentOr(folder, S_IFDIR);
  for (auto it = waiting.begin(); ok && it != waiting.end(); ++it) {
    const QString path = FileFor(game, it.key());
    if (!AbsentOr(path, S_IFREG)) {
      ok = false;
    } else if (!it.value()) {
      ok = !QFile::exists(path) || QFile::remove(path);
    } else {
      QSaveFile file(path);
      ok = file.open(QIODevice::WriteOnly) &&
           file.write(QJsonDocument(QJsonObject{{kKey, it.key()}, {kValue, *it.value()}})
                          .toJson(QJsonDocument::Compact)) >= 0 &&
           file.commit();
    }
  }
  // Whatever failed stays as it was on disk, which is charged from then on.
  if (!ok)
    SetCharge(game, Charge(game));
  return ok;
}

void SaveStore::WriteDue() {
  const qint64 now = Now();
  qint64 next = -1;
  for (const QString& game : m_waiting.keys()) {
    const qint64 due = m_lastWrite.value(game) + kWriteInterval.count();
    if (due <= now)
      WriteOut(game);
    else
      next = next < 0 ? due : std::min(next, due);
  }
  if (next >= 0)
    m_timer.start(next - now);
}

void SaveStore::Flush() {
  m_timer.stop();
  for (const QString& game : m_waiting.keys())
    WriteOut(game);
}

QString SaveStore::Read(const QString& game, const QString& key) const {
  const auto waiting = m_waiting.constFind(game);
  if (waiting != m_waiting.constEnd()) {
    const auto change = waiting->constFind(key);
    if (change != waiting->constEnd())
      return change->value_or(QString());
  }
  QString stored, value;
  if (game.isEmpty() || !ReadSave(FileFor(game, key), 6 * m_gameBound + 64, &stored, &value) ||
      stored != key)
    return {};
  return value;
}
