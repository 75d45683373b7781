#include "player/playerprofile.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const char kPrefix[] = "quillet-player-";
const char kLockName[] = "quillet.lock";

int OpenLock(const QString& folder) {
  return ::open(QFile::encodeName(folder + QLatin1Char('/') + QLatin1String(kLockName)).constData(),
                O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

}  // namespace

PlayerProfile::~PlayerProfile() {
  Remove();
}

Outcome PlayerProfile::Create(const QString& parent) {
  QByteArray pattern =
      QFile::encodeName(parent + QLatin1Char('/') + QLatin1String(kPrefix)) + "XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    return Outcome::Failed(QStringLiteral("Cannot make the player's profile folder in ") + parent);
  }
  m_path = QFile::decodeName(pattern);
  m_lock = OpenLock(m_path);
  if (m_lock < 0 || ::flock(m_lock, LOCK_EX | LOCK_NB) != 0) {
    const QString folder = m_path;
    Remove();
    return Outcome::Failed(QStringLiteral("Cannot lock the player's profile folder ") + folder);
  }
  return Outcome::Ok();
}

void PlayerProfile::Remove() {
  // A helper of the player that was just killed may still be writing in it.
  for (int tries = 0; !m_path.isEmpty() && !QDir(m_path).removeRecursively() && tries < 25; ++tries)
    QThread::msleep(20);
  m_path.clear();
  if (m_lock >= 0)
    ::close(m_lock);
  m_lock = -1;
}

void PlayerProfile::RemoveStale(const QString& parent) {
  const QDir dir(parent);
  for (const QString& name : dir.entryList({QLatin1String(kPrefix) + QLatin1Char('*')},
                                           QDir::Dirs | QDir::NoSymLinks | QDir::Hidden)) {
    const QString folder = dir.filePath(name);
    if (!QFileInfo(folder).isWritable() || QFileInfo(folder).ownerId() != ::geteuid())
      continue;
    const int lock = OpenLock(folder);
    if (lock < 0)
      continue;
    if (::flock(lock, LOCK_EX | LOCK_NB) == 0)
      QDir(folder).removeRecursively();
    ::close(lock);
  }
}
