#include "platform/moviebound.h"

#include <QFile>

#include <sys/stat.h>

#include <cerrno>

bool IsPlayableMovieFile(const QString& path, QString* error) {
  struct stat status{};
  if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
    if (errno == ENOENT || errno == ENOTDIR)
      return true;
    *error = QStringLiteral("The movie cannot be read: ") + path;
    return false;
  }
  if (!S_ISREG(status.st_mode)) {
    *error = QStringLiteral("The movie is not a regular file: ") + path;
    return false;
  }
  if (status.st_size > kMaxMovieBytes) {
    *error = QStringLiteral("The movie is larger than %1 MiB: ").arg(kMaxMovieBytes >> 20) + path;
    return false;
  }
  return true;
}
