#pragma once

#include <QString>

#include <utility>

// Every folder ends with "/" so that paths are built by plain concatenation.
class SystemPaths {
 public:
  virtual ~SystemPaths() = default;
  // The root of the system drive: one fixed folder per machine.
  virtual QString SystemDriveRoot() const = 0;
  virtual QString ProgramFolder() const = 0;
};

class HostSystemPaths final : public SystemPaths {
 public:
  QString SystemDriveRoot() const override;
  QString ProgramFolder() const override;
};

// Paths fixed at construction, for running the logic against other folders.
class FixedSystemPaths final : public SystemPaths {
 public:
  FixedSystemPaths(QString driveRoot, QString programFolder)
      : m_driveRoot(std::move(driveRoot)), m_programFolder(std::move(programFolder)) {}
  QString SystemDriveRoot() const override { return m_driveRoot; }
  QString ProgramFolder() const override { return m_programFolder; }

 private:
  QString m_driveRoot;
  QString m_programFolder;
};
