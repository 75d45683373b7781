#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// A movie on its way to disk, in a temporary file made exclusively beside the target:
// never written through a link or into an existing file, so no one can steer it.
class NewMovieFile {
 public:
  explicit NewMovieFile(const QString& target);
  // Removes the temporary file unless it was committed.
  ~NewMovieFile();
  NewMovieFile(const NewMovieFile&) = delete;
  NewMovieFile& operator=(const NewMovieFile&) = delete;

  // False when no temporary file could be made (no such folder, no right to write).
  bool IsOpen() const { return m_file >= 0; }
  bool Write(const char* data, qint64 size);
  // Fails, target untouched, on a link, a folder, or another user's entry in a sticky folder.
  bool Commit();

 private:
  int m_folder = -1;
  int m_file = -1;
  QByteArray m_name;
  QByteArray m_temporaryName;
  bool m_committed = false;
};

// Removes our own temporary files that a killed download left and none holds now.
void RemoveStaleDownloads(const QString& folder);

// "." + the movie's name + ".quillet-" + six letters or digits: no one names a file so.
bool IsStaleDownloadName(const QString& name);
