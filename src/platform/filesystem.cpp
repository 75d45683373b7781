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
  // One level, false if it exists: the download's folder choice relies on both.
  return QDir().mkdir(path);
}
