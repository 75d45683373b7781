#pragma once

#include <QString>

// The file-system operations that game lookup and download rely on.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool FileExists(const QString& path) const = 0;
  virtual bool DirectoryExists(const QString& path) const = 0;
  // The parent must exist; false also when the folder already exists.
  virtual bool CreateDirectory(const QString& path) = 0;
};

class LocalFileSystem final : public FileSystem {
 public:
  bool FileExists(const QString& path) const override;
  bool DirectoryExists(const QString& path) const override;
  bool CreateDirectory(const QString& path) override;
};
