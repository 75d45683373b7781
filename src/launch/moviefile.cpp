#include "launch/moviefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr char kTemporaryTag[] = ".quillet-";

QByteArray RandomSuffix() {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  QByteArray suffix(6, '0');
  for (char& c : suffix) {
    c = kDigits[QRandomGenerator::global()->bounded(int(sizeof kDigits) - 1)];
  }
  return suffix;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

NewMovieFile::NewMovieFile(const QString& target) {
  const QFileInfo info(target);
  m_name = QFile::encodeName(info.fileName());
  if (m_name.isEmpty()) {
    return;
  }
  m_folder = ::open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (m_folder < 0) {
    return;
  }
  // O_EXCL: the name is new, never a file or a link someone else put there.
  for (int attempt = 0; attempt < 100 && m_file < 0; ++attempt) {
    m_temporaryName = '.' + m_name + kTemporaryTag + RandomSuffix();
    m_file = ::openat(m_folder, m_temporaryName.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_file < 0 && errno != EEXIST) {
      break;
    }
  }
  // Held until closed, so that a second copy's RemoveStaleDownloads leaves it alone.
  if (m_file >= 0) {
    ::flock(m_file, LOCK_EX);
  }
}

NewMovieFile::~NewMovieFile() {
  if (m_file >= 0) {
    if (!m_committed) {
      ::unlinkat(m_folder, m_temporaryName.constData(), 0);
    }
    ::close(m_file);
  }
  if (m_folder >= 0) {
    ::close(m_folder);
  }
}

bool NewMovieFile::Write(const char* data, qint64 size) {
  while (size > 0) {
    const ssize_t written = ::write(m_file, data, size_t(size));
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

bool NewMovieFile::Commit() {
  // Every user plays the movies of the shared folder, whoever fetched them.
  if (!IsOpen() || ::fchmod(m_file, 0644) != 0 || ::fsync(m_file) != 0) {
    return false;
  }
  struct stat ours{};
  struct stat named{};
  // The temporary name must still hold this very file, and a link at the
  // target is someone else's: it is neither followed nor replaced.
  if (::fstat(m_file, &ours) != 0 ||
      ::fstatat(m_folder, m_temporaryName.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
      !SameFile(ours, named)) {
    return false;
  }
  if (::fstatat(m_folder, m_name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
      S_ISLNK(named.st_mode)) {
    return false;
  }
  // rename() replaces a link put there meanwhile, never what it points to.
  if (::renameat(m_folder, m_temporaryName.constData(), m_folder, m_name.constData()) != 0) {
    return false;
  }
  m_committed = true;
  ::fsync(m_folder);  // so that the new name survives a crash too
  return true;
}

bool IsStaleDownloadName(const QString& name) {
  static const QRegularExpression pattern(
      QStringLiteral("^\\.[A-Za-z0-9]+\\.swf\\.quillet-[A-Za-z0-9]{6}$"));
  return pattern.match(name).hasMatch();
}

void RemoveStaleDownloads(const QString& folder) {
  const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) {
    return;
  }
  const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
  for (const QString& name : names) {
    if (!IsStaleDownloadName(name)) {
      continue;
    }
    const QByteArray local = QFile::encodeName(name);
    const int file =
        ::openat(dir, local.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0) {
      continue;  // a link, or not ours to read
    }
    // Only our own regular file, still under this name, held by no download.
    struct stat opened{};
    struct stat named{};
    if (::fstat(file, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == ::geteuid() &&
        ::flock(file, LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(dir, local.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        SameFile(opened, named)) {
      ::unlinkat(dir, local.constData(), 0);
    }
    ::close(file);
  }
  ::close(dir);
}
