#include "app/busydownload.h"

#include "launch/download.h"
#include "platform/busywait.h"

bool DownloadFileWhileBusy(const QString& url, const QString& path) {
  return RunWhileBusy([&url, &path] { return DownloadFile(url, path); });
}
