#include "player/plugin/savestore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

namespace {

const QString kKey = QStringLiteral("key");
const QString kValue = QStringLiteral("value");

}  // namespace

QString SaveStore::FileFor(const QString& key) const {
  // The key is the movie's choice; only its hash names a file.
  return m_folder +
         QString::fromLatin1(
             QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex()) +
         QStringLiteral(".json");
}

QJsonObject SaveStore::ReadAll() const {
  QJsonObject all;
  const QDir folder(m_folder);
  for (const QString& name : folder.entryList({QStringLiteral("*.json")}, QDir::Files)) {
    QFile file(folder.filePath(name));
    if (!file.open(QIODevice::ReadOnly))
      continue;
    const QJsonObject entry = QJsonDocument::fromJson(file.readAll()).object();
    const QString key = entry.value(kKey).toString();
    // A file that does not belong to its key is not ours; skip it.
    if (key.isEmpty() || FileFor(key) != folder.filePath(name) || !entry.value(kValue).isString())
      continue;
    all.insert(key, entry.value(kValue));
  }
  return all;
}

bool SaveStore::Write(const QString& key, const QString& value) const {
  if (key.isEmpty() || value.size() > kMaxValueSize || !QDir().mkpath(m_folder))
    return false;
  QSaveFile file(FileFor(key));
  if (!file.open(QIODevice::WriteOnly))
    return false;
  file.write(
      QJsonDocument(QJsonObject{{kKey, key}, {kValue, value}}).toJson(QJsonDocument::Compact));
  return file.commit();
}

bool SaveStore::Remove(const QString& key) const {
  const QString path = FileFor(key);
  return !QFile::exists(path) || QFile::remove(path);
}
