#include "platform/filesystem.h"

#include <QDir>
#include <QFileInfo>

bool LocalFileSystem::FileExists(const QString& path) const {
  return QFileInfo(path).isFile();
}

bool LocalFileSystem::DirectoryExists(const QString& path) const {
  return QFileInfo(path).isDir();
}

bool LocalFileSystem::CreateDirectory(const QString& path) {
  // One level only, and false when the folder exists already: the folder
  // choice of a download depends on both.
  return QDir().mkdir(path);
}
