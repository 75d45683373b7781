#pragma once

#include "platform/outcome.h"

#include <QString>
#include <QtGlobal>

// The largest movie the program downloads or plays: far above any Flash game.
inline constexpr qint64 kMaxMovieBytes = qint64(64) * 1024 * 1024;

// A regular file (also behind a link) within kMaxMovieBytes, judged unread; a missing
// file passes, as the player shows nothing for it.
Outcome IsPlayableMovieFile(const QString& path);
