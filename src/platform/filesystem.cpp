#include "platform/filesystem.h"

#include <QFile>

#include <sys/stat.h>
#include <cerrno>

bool LocalFileSystem::FileExists(const QString& path) const {
  struct stat info {};
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

bool LocalFileSystem::DirectoryExists(const QString& path) const {
  struct stat info {};
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool LocalFileSystem::CreateDirectory(const QString& path) {
  // mkdir(2) creates exactly one level and fails when the folder exists,
  // which is what the folder choice of a download depends on.
  return ::mkdir(QFile::encodeName(path).constData(), 0755) == 0;
}
