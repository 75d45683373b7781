#pragma once

#include "platform/moviebound.h"
#include "platform/outcome.h"

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <chrono>

// Bounds of one transfer, so that no download can hang or fill the disk.
struct DownloadLimits {
  std::chrono::milliseconds connectTimeout{std::chrono::seconds(20)};
  // Slower than lowSpeed bytes a second for lowSpeedTime has failed: a server that
  // trickles is no better than a silent one. 8 KiB/s is a 64 kbit/s line.
  long lowSpeed = 8 * 1024;
  std::chrono::seconds lowSpeedTime{30};
  // The whole transfer, connecting included; the largest movie arrives in it at 112 KB/s.
  std::chrono::seconds maxTime{600};
  // Counted on the bytes received, announced or not.
  qint64 maxBytes = kMaxMovieBytes;
  // The longest uncompressed movie a header may state: real games take a few MB, and
  // it bounds what a small compressed bomb makes the check decompress.
  qint64 maxMovieLength = qint64(128) * 1024 * 1024;
  long maxRedirects = 5;
};

// One GET, http or https only (redirects too); blocks, on any thread. Ok only for a
// clean 200 of the announced size whose body is a Flash movie agreeing with its header;
// otherwise the reason, and localPath stays as it was. Never writes through a link at
// localPath; `cancelled` fails the transfer within a second.
Outcome DownloadFile(const QString& url, const QString& localPath);
Outcome DownloadFile(const QString& url, const QString& localPath, const DownloadLimits& limits,
                     const std::atomic<bool>* cancelled = nullptr);
