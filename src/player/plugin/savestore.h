#pragma once

#include <QJsonObject>
#include <QString>

// Game saves on disk, one file per shared object. Ruffle keeps shared
// objects in the page's local storage; the host page hands that storage to
// this store instead, because the web engine's own storage is locked by the
// first copy of the program, and a second copy beside it would neither see
// nor keep any save. Every write replaces one whole file atomically, so two
// copies can save at the same time; the last save of an object wins, as it
// did with the Flash control's files.
class SaveStore {
 public:
  // folder ends in "/"; it is created when the first save is written.
  explicit SaveStore(QString folder) : m_folder(std::move(folder)) {}

  // Every save as key -> value.
  QJsonObject ReadAll() const;
  bool Write(const QString& key, const QString& value) const;
  bool Remove(const QString& key) const;

  // Larger values are refused (the Flash control allowed far less).
  static constexpr qsizetype kMaxValueSize = 16 * 1024 * 1024;

 private:
  QString FileFor(const QString& key) const;

  QString m_folder;
};
