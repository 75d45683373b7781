#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// A movie on its way to disk. The bytes go into a temporary file that this
// object creates itself, exclusively, in the target's folder; only a commit
// renames it to the target's name. Nothing is ever written through a link
// or into a file that was there before, so another user of a shared folder
// cannot steer a download into a file of their choosing.
class NewMovieFile {
 public:
  explicit NewMovieFile(const QString& target);
  // Removes the temporary file unless it was committed.
  ~NewMovieFile();
  NewMovieFile(const NewMovieFile&) = delete;
  NewMovieFile& operator=(const NewMovieFile&) = delete;

  // False when the temporary file could not be created (no such folder, no
  // right to write there).
  bool IsOpen() const { return m_file >= 0; }
  bool Write(const char* data, qint64 size);
  // Flushes the file to disk, readable by every user, and renames it over the
  // target. Fails, leaving the target alone, when the target is a symbolic
  // link or cannot be replaced (a folder, or another user's entry in a sticky
  // folder).
  bool Commit();

 private:
  int m_folder = -1;
  int m_file = -1;
  QByteArray m_name;
  QByteArray m_temporaryName;
  bool m_committed = false;
};

// Removes the temporary files that a download killed half-way left in
// folder: our own regular files with a temporary file's name that no running
// download holds. Movies, other users' files and any other file are left alone.
void RemoveStaleDownloads(const QString& folder);

// Whether name is one of those temporary files: "." + the movie's name +
// ".quillet-" and six letters or digits, a name no one gives a file by hand.
bool IsStaleDownloadName(const QString& name);
