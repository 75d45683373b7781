#pragma once

#include <QString>

// DownloadFile as the program calls it: blocking, but without freezing the
// windows (the transfer runs on a worker thread behind the busy wait).
bool DownloadFileWhileBusy(const QString& url, const QString& path);
