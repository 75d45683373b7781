#pragma once

#include "platform/outcome.h"

#include <QString>
#include <QtGlobal>

// The largest movie the program downloads or plays: far above any Flash game.
inline constexpr qint64 kMaxMovieBytes = qint64(64) * 1024 * 1024;

// Whether the file at path may be handed to the player: a regular file (also
// behind a link) of at most kMaxMovieBytes, judged without reading any of it.
// A missing file passes, as the player shows nothing for it.
Outcome IsPlayableMovieFile(const QString& path);
