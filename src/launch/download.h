#pragma once

#include "launch/moviebound.h"
#include "platform/outcome.h"

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <chrono>

// Bounds of one transfer, so that no download can hang or fill the disk.
struct DownloadLimits {
  std::chrono::milliseconds connectTimeout{std::chrono::seconds(20)};
  // A transfer that stays slower than lowSpeed bytes a second for
  // lowSpeedTime has failed: a server that trickles is no better than one
  // that sends nothing. Whole seconds.
  // 8 KiB/s is a 64 kbit/s line, slower than any line a game is fetched over
  // today; a server that stays below it for half a minute is not worth waiting
  // for.
  long lowSpeed = 8 * 1024;
  std::chrono::seconds lowSpeedTime{30};
  // The whole transfer, connecting included, ends by then, however it goes:
  // the user may also stop it sooner. The largest movie (maxBytes)
  // still arrives in time at 112 KB/s.
  std::chrono::seconds maxTime{600};
  // Counted on the bytes received, announced or not.
  qint64 maxBytes = kMaxMovieBytes;
  // The longest uncompressed movie a header may state, header included. Real
  // games take a few MB and their pictures and sounds are compressed already,
  // so a movie that fits maxBytes fits this too; it bounds what a small
  // compressed bomb makes the check decompress.
  qint64 maxMovieLength = qint64(128) * 1024 * 1024;
  long maxRedirects = 5;
};

// Fetches url (http or https, also after redirects) into localPath with one
// plain GET. Succeeds only when the whole movie arrived: the transfer ended
// cleanly with status 200, the size matches what the server announced, and
// the body is a Flash movie whose header agrees with all of it. Otherwise
// fails with the reason and leaves localPath as it was. Never writes through a link
// at localPath (see NewMovieFile). Blocks until the transfer ends; safe to
// call from any thread; setting cancelled (when given) ends the transfer as
// a failure within a second.
Outcome DownloadFile(const QString& url, const QString& localPath);
Outcome DownloadFile(const QString& url, const QString& localPath, const DownloadLimits& limits,
                     const std::atomic<bool>* cancelled = nullptr);
