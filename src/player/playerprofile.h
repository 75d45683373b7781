#pragma once

#include "platform/outcome.h"

#include <QString>

// The player's profile folder, private to one instance and locked while it lives;
// the next instance sweeps one left by a crash.
class PlayerProfile {
 public:
  PlayerProfile() = default;
  ~PlayerProfile();
  PlayerProfile(const PlayerProfile&) = delete;
  PlayerProfile& operator=(const PlayerProfile&) = delete;

  // Makes and locks a fresh folder under parent.
  Outcome Create(const QString& parent);
  // Removes the folder now (the player process must be gone).
  void Remove();
  QString Path() const { return m_path; }

  // Removes every folder under parent that no living instance holds.
  static void RemoveStale(const QString& parent);

 private:
  QString m_path;
  int m_lock = -1;
};
