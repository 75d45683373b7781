#include "platform/moviebound.h"

#include <QFile>

#include <sys/stat.h>

#include <cerrno>

Outcome IsPlayableMovieFile(const QString& path) {
  struct stat status{};
  if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
    if (errno == ENOENT || errno == ENOTDIR)
      return Outcome::Ok();
    return Outcome::Failed(QStringLiteral("The movie cannot be read: ") + path);
  }
  if (!S_ISREG(status.st_mode)) {
    return Outcome::Failed(QStringLiteral("The movie is not a regular file: ") + path);
  }
  if (status.st_size > kMaxMovieBytes) {
    return Outcome::Failed(
        QStringLiteral("The movie is larger than %1 MiB: ").arg(kMaxMovieBytes >> 20) + path);
  }
  return Outcome::Ok();
}
