#pragma once

#include "platform/outcome.h"

#include <QString>

class BusyWait;

// DownloadFile as the program calls it: blocking, but without freezing the
// windows (the transfer runs on a worker thread behind the busy wait).
Outcome DownloadFileWhileBusy(BusyWait& busy, const QString& url, const QString& path);
